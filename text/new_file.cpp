#include "text/new_file.h"

#include <fcntl.h>
#include <sys/random.h>
#include <unistd.h>

#include <cerrno>

namespace qinghe {

std::string random_name_part() {
    static constexpr char kDigits[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    unsigned char bytes[10] = {};
    for (size_t filled = 0; filled < sizeof bytes;) {
        const ssize_t n = ::getrandom(bytes + filled, sizeof bytes - filled, 0);
        if (n > 0) filled += static_cast<size_t>(n);
        // Without a random source the name is guessable, but O_EXCL still keeps others' files safe.
        else if (errno != EINTR) break;
    }
    std::string part;
    for (unsigned char byte : bytes) part += kDigits[byte % (sizeof kDigits - 1)];
    return part;
}

int create_file_beside(const std::filesystem::path& beside, mode_t mode, std::filesystem::path& created,
                       const std::function<std::string()>& name_part) {
    constexpr int kAttempts = 100;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        std::filesystem::path name = beside;
        name += ".tmp-" + name_part();
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd >= 0) {
            created = std::move(name);
            return fd;
        }
        if (errno != EEXIST) return -1;
    }
    errno = EEXIST;
    return -1;
}

int write_all(int fd, std::string_view bytes) {
    for (size_t done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return n < 0 ? errno : EIO;
        done += static_cast<size_t>(n);
    }
    return 0;
}

int replace_with(int fd, const std::filesystem::path& temporary, const std::filesystem::path& file,
                 std::string_view bytes) {
    int error = write_all(fd, bytes);
    // The data must be on disk before the rename makes it the file.
    if (error == 0 && ::fsync(fd) != 0) error = errno;
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error == 0 && ::rename(temporary.c_str(), file.c_str()) != 0) error = errno;
    if (error != 0) ::unlink(temporary.c_str());
    return error;
}

}  // namespace qinghe
