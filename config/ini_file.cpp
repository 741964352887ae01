#include "config/ini_file.h"

#include <fcntl.h>
#include <langinfo.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "text/codec.h"
#include "text/new_file.h"
#include "text/search.h"

namespace qinghe {
namespace {

constexpr TextView kUtf8Bom = "\xEF\xBB\xBF";

// "[name]" with blanks allowed around the name; what follows "]" is ignored.
bool section_header(TextView line, TextView& name) {
    line = trim_blanks(line);
    if (line.empty() || line.front() != '[') return false;
    const size_t close = find_offset(line, "]", 1);
    name = trim_blanks(line.substr(1, close == TextView::npos ? TextView::npos : close - 1));
    return true;
}

// "key=value", not a comment; `key` trimmed, `value` as stored after "=".
bool key_line(TextView line, TextView& key, TextView& value) {
    const TextView start = trim_blanks(line);
    if (start.empty() || start.front() == ';' || start.front() == '[') return false;
    const size_t equals = line.find('=');
    if (equals == TextView::npos) return false;
    key = trim_blanks(line.substr(0, equals));
    value = line.substr(equals + 1);
    return true;
}

// The whole file; false (with errno set) when it cannot be opened or read.
bool read_file(const std::filesystem::path& path, std::string& bytes) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const int error = errno;
            ::close(fd);
            errno = error;
            return n == 0;
        }
        bytes.append(buffer, static_cast<size_t>(n));
    }
}

SaveResult failure(int error) { return {system_message(error)}; }

// The file a path names once symbolic links are followed to the end of their chain, a
// relative link read from the link's own folder. A path naming nothing names itself.
bool follow_links(std::filesystem::path path, std::filesystem::path& file) {
    for (int hops = 0; hops < 40; ++hops) {  // the kernel's own limit
        struct stat status {};
        if (::lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) {
            file = path;
            return true;
        }
        std::error_code error;
        const std::filesystem::path link = std::filesystem::read_symlink(path, error);
        if (error) {
            errno = error.value();
            return false;
        }
        path = link.is_absolute() ? link : path.parent_path() / link;
    }
    errno = ELOOP;
    return false;
}

// Writes over an existing file, for a folder that takes no new files. Room for a longer
// file is reserved first, so that a full disk fails before a byte of the old one changes.
SaveResult rewrite_in_place(const std::filesystem::path& file, off_t old_size, TextView bytes) {
    const int fd = ::open(file.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) return failure(errno);
    const auto size = static_cast<off_t>(bytes.size());
    int error = size > old_size ? ::posix_fallocate(fd, old_size, size - old_size) : 0;
    if (error == EOPNOTSUPP) error = 0;  // a file system without reservations: just write
    if (error == 0) error = write_all(fd, bytes);
    if (error == 0 && ::ftruncate(fd, size) != 0) error = errno;
    if (error == 0 && ::fsync(fd) != 0) error = errno;
    if (::close(fd) != 0 && error == 0) error = errno;
    return error == 0 ? SaveResult{} : failure(error);
}

Text one_line(TextView value) {
    Text out(value);
    for (char& c : out) {
        if (c == '\r' || c == '\n') c = ' ';
    }
    return out;
}

}  // namespace

IniFile IniFile::load(const std::filesystem::path& path) {
    IniFile file;
    std::string bytes;
    if (!read_file(path, bytes)) {
        // Only a file that does not exist is one we may create.
        if (errno != ENOENT) file.load_error_ = errno;
        return file;
    }
    TextView rest(bytes);
    // An editor adds a mark to a file that already has one; the first header must count.
    while (rest.starts_with(kUtf8Bom)) rest.remove_prefix(kUtf8Bom.size());
    // LF ends a line (a GB18030 character never holds the byte); a CR before it goes too.
    while (!rest.empty()) {
        const size_t end = rest.find('\n');
        TextView line = rest.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        file.lines_.emplace_back(line);
        if (end == TextView::npos) break;
        rest.remove_prefix(end + 1);
    }
    return file;
}

bool IniFile::find_section(TextView name, Section& section) const {
    for (size_t i = 0; i < lines_.size(); ++i) {
        TextView header;
        if (!section_header(lines_[i], header) || !equal_ignoring_case(header, trim_blanks(name))) continue;
        size_t end = i + 1;
        for (TextView ignored; end < lines_.size() && !section_header(lines_[end], ignored);) ++end;
        section = {i, end};
        return true;
    }
    return false;
}

size_t IniFile::find_key(const Section& section, TextView key) const {
    for (size_t i = section.header + 1; i < section.end; ++i) {
        TextView name, value;
        if (key_line(lines_[i], name, value) && equal_ignoring_case(name, trim_blanks(key))) return i;
    }
    return Text::npos;
}

bool IniFile::has(TextView section_name, TextView key) const {
    Section section{};
    return find_section(section_name, section) && find_key(section, key) != Text::npos;
}

Text IniFile::value(TextView section_name, TextView key) const {
    Section section{};
    if (!find_section(section_name, section)) return {};
    const size_t line = find_key(section, key);
    if (line == Text::npos) return {};
    TextView name, value;
    key_line(lines_[line], name, value);
    value.remove_prefix(std::min(value.find_first_not_of(" \t"), value.size()));
    // Values are C strings to the platform: a damaged file's NUL ends one.
    value = value.substr(0, value.find('\0'));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
    return Text(value);
}

void IniFile::set(TextView section_name, TextView key, TextView value) {
    const Text entry = Text(trim_blanks(key)) + "=" + one_line(value);
    Section section{};
    if (!find_section(section_name, section)) {
        lines_.push_back("[" + Text(trim_blanks(section_name)) + "]");
        lines_.push_back(entry);
        return;
    }
    const size_t line = find_key(section, key);
    if (line != Text::npos) {
        // Keep the key as the file spells it; replace what follows "=".
        lines_[line] = lines_[line].substr(0, lines_[line].find('=') + 1) + one_line(value);
        return;
    }
    // After the section's last non-blank line, so blank lines before the next section stay there.
    size_t at = section.end;
    while (at > section.header + 1 && trim_blanks(lines_[at - 1]).empty()) --at;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), entry);
}

SaveResult IniFile::save(const std::filesystem::path& path) const {
    // A file that exists but could not be read must not be replaced by what little we know.
    if (load_error_ != 0) return {from_utf8("could not be read: ") + system_message(load_error_)};
    Text bytes;
    for (const Text& line : lines_) bytes.append(line).append(kCrLf);
    return save_settings_file(path, bytes);
}

SaveResult save_settings_file(const std::filesystem::path& path, TextView bytes) {
    if (path.empty()) return failure(ENOENT);
    std::filesystem::path file;
    if (!follow_links(path, file)) return failure(errno);
    struct stat old {};
    const bool exists = ::stat(file.c_str(), &old) == 0;
    if (!exists && errno != ENOENT) return failure(errno);
    if (exists) {
        if (S_ISDIR(old.st_mode)) return failure(EISDIR);
        if (!S_ISREG(old.st_mode)) return {from_utf8("not a regular file")};
        if ((old.st_mode & 0222) == 0) return {from_utf8("read-only file")};
        if (::faccessat(AT_FDCWD, file.c_str(), W_OK, AT_EACCESS) != 0) return failure(errno);
    }

    // A replacement starts private and takes the old file's mode once it is ours; a new
    // file gets the usual mode less the umask.
    std::filesystem::path temporary;
    const int fd = create_file_beside(file, exists ? 0600 : 0644, temporary);
    if (fd < 0) {
        // The folder takes no new file. The platform writes files in place, so one that
        // takes writes itself is rewritten rather than refused; a new file cannot be made.
        // When every name tried was taken, the folder does take files: the save fails.
        return exists && errno != EEXIST ? rewrite_in_place(file, old.st_size, bytes) : failure(errno);
    }
    if (exists) {
        // Owner first: a change of owner may clear mode bits. Only root may give a file
        // away, so another owner is kept where allowed and otherwise becomes the user.
        // Both act on the descriptor, so on the file created above and on no other.
        (void)!::fchown(fd, old.st_uid, old.st_gid);
        (void)!::fchmod(fd, old.st_mode & 07777);
    }
    const int error = replace_with(fd, temporary, file, bytes);
    return error == 0 ? SaveResult{} : failure(error);
}

bool read_settings_file(const std::filesystem::path& path, std::string& bytes) { return read_file(path, bytes); }

Text system_message(int error) {
    const std::string message = std::generic_category().message(error);
    std::u16string units;
    return decode_charset(message, ::nl_langinfo(CODESET), units) ? encode(units) : from_utf8(message);
}

Text read_profile_string(const std::filesystem::path& path, TextView section, TextView key) {
    return IniFile::load(path).value(section, key);
}

bool write_profile_string(const std::filesystem::path& path, TextView section, TextView key, TextView value) {
    IniFile file = IniFile::load(path);
    file.set(section, key, value);
    return static_cast<bool>(file.save(path));
}

}  // namespace qinghe
