#include "config/new_file.h"

#include <fcntl.h>
#include <sys/random.h>

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

}  // namespace qinghe
