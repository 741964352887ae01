#pragma once
// A new file beside another, to be written and then renamed over it. Its name cannot be
// guessed, and nothing already at a name it tries is opened: in a folder that others may
// write, a symbolic link planted at the name can redirect no write to another file.
#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <string>

namespace qinghe {

// Ten random lower-case letters and digits from the kernel's random source.
std::string random_name_part();

// Creates `beside` + ".tmp-" + a part from `name_part`, with O_CREAT | O_EXCL | O_NOFOLLOW
// and `mode`, open for writing; a name already taken (by anything, a dangling link too)
// is passed over for the next. Returns the descriptor and sets `created`; -1 with errno
// set when no file was made (EEXIST when every name tried was taken).
int create_file_beside(const std::filesystem::path& beside, mode_t mode, std::filesystem::path& created,
                       const std::function<std::string()>& name_part = random_name_part);

}  // namespace qinghe
