#pragma once
// Runs checks in a child bound by file permissions as an ordinary user is, so that a
// test of a read-only folder means the same when the tests run as root.
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

namespace qinghe {

// Root hands `folder` and its contents to an unprivileged user and the child becomes
// that user; anyone else runs the checks in a child as they are. The child's exit code.
inline int as_ordinary_user(const std::filesystem::path& folder, const std::function<int()>& checks) {
    constexpr uid_t kNobody = 65534;
    if (geteuid() == 0) {
        for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
            (void)!::lchown(entry.path().c_str(), kNobody, kNobody);
        }
        (void)!::lchown(folder.c_str(), kNobody, kNobody);
    }
    const pid_t child = fork();
    if (child == 0) {
        if (geteuid() == 0 && (::setgroups(0, nullptr) || ::setgid(kNobody) || ::setuid(kNobody))) _exit(100);
        _exit(checks());
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace qinghe
