#pragma once
// A new file beside another, to be written and then renamed over it: how the settings
// files and the kept hot-topic titles are replaced atomically. Its name cannot be
// guessed, and nothing already at a name it tries is opened: in a folder that others may
// write, a symbolic link planted at the name can redirect no write to another file.
#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace qinghe {

// Ten random lower-case letters and digits from the kernel's random source.
std::string random_name_part();

// Creates `beside` + ".tmp-" + a part from `name_part`, with O_CREAT | O_EXCL | O_NOFOLLOW
// and `mode`, open for writing; a name already taken (by anything, a dangling link too)
// is passed over for the next. Returns the descriptor and sets `created`; -1 with errno
// set when no file was made (EEXIST when every name tried was taken).
int create_file_beside(const std::filesystem::path& beside, mode_t mode, std::filesystem::path& created,
                       const std::function<std::string()>& name_part = random_name_part);

// 0 when all of `bytes` went to `fd`, else the errno of the write that failed.
int write_all(int fd, std::string_view bytes);

// Writes `bytes` into `fd`, the file `temporary` made by create_file_beside, puts them on
// disk, closes it and renames it over `file`. 0 when done; else the errno of the step that
// failed, the temporary file removed and `file` as it was.
int replace_with(int fd, const std::filesystem::path& temporary, const std::filesystem::path& file,
                 std::string_view bytes);

}  // namespace qinghe
