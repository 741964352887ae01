#include "app/desktop/single_instance.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QSocketNotifier>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

namespace qinghe {
namespace {

using Clock = std::chrono::steady_clock;
constexpr std::string_view kRequest = "activate ";
constexpr std::size_t kLongestMessage = 4096;

bool fits_socket_address(const std::filesystem::path& base) {
    return base.native().size() + std::strlen(".socket") < sizeof(sockaddr_un::sun_path);
}

sockaddr_un socket_address(const std::filesystem::path& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    return address;
}

bool wait_readable(int fd, Clock::time_point deadline) {
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return false;
        pollfd entry{fd, POLLIN, 0};
        const int ready = poll(&entry, 1, static_cast<int>(left));
        if (ready > 0) return true;
        if (ready < 0 && errno != EINTR) return false;
    }
}

// One line without its newline; empty when none arrived whole before the deadline.
std::string read_line(int fd, Clock::time_point deadline) {
    std::string line;
    char buffer[256];
    while (line.size() < kLongestMessage && wait_readable(fd, deadline)) {
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        line.append(buffer, static_cast<std::size_t>(got));
        if (const std::size_t end = line.find('\n'); end != std::string::npos) return line.substr(0, end);
    }
    return {};
}

// MSG_NOSIGNAL: a peer that went away must not end this process with SIGPIPE.
bool send_all(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t sent = send(fd, data.data(), data.size(), MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) continue;
        if (sent <= 0) return false;
        data.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

void warn(const char* what, const std::filesystem::path& path) {
    std::fprintf(stderr, "qinghe: cannot %s %s: %s; a second start will not find this copy\n", what, path.c_str(),
                 std::strerror(errno));
}

}  // namespace

std::filesystem::path instance_base(const std::filesystem::path& settings_folder) {
    std::error_code error;
    std::filesystem::path folder = std::filesystem::weakly_canonical(settings_folder, error);
    if (error) folder = settings_folder;
    const QByteArray hash =
        QCryptographicHash::hash(QByteArray::fromStdString(folder.native()), QCryptographicHash::Sha256)
            .toHex()
            .left(16);
    const std::string name = "qinghe-" + std::to_string(getuid()) + "-" + hash.toStdString();
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const std::filesystem::path candidates[] = {runtime && *runtime == '/' ? runtime : "",
                                                std::filesystem::temp_directory_path(error)};
    for (const std::filesystem::path& candidate : candidates) {
        if (candidate.is_absolute() && fits_socket_address(candidate / name)) return candidate / name;
    }
    return std::filesystem::path("/tmp") / name;
}

SingleInstance::SingleInstance(const std::filesystem::path& settings_folder) {
    const std::filesystem::path base = instance_base(settings_folder);
    lock_path_ = base.native() + ".lock";
    socket_path_ = base.native() + ".socket";
}

SingleInstance::~SingleInstance() {
    notifier_.reset();
    if (server_fd_ >= 0) {
        close(server_fd_);
        unlink(socket_path_.c_str());  // still under the lock: no other copy's socket
    }
    // The lock file stays: removing it could let two copies lock two different files.
    if (lock_fd_ >= 0) close(lock_fd_);
}

SingleInstance::Role SingleInstance::claim(const QString& activation_token, std::chrono::milliseconds patience) {
    const Clock::time_point deadline = Clock::now() + patience;
    for (;;) {
        switch (take_lock()) {
            case Lock::Taken: start_server(); return Role::First;
            case Lock::Unavailable: return Role::First;
            case Lock::Held: break;
        }
        if (Clock::now() >= deadline) return Role::Unanswered;
        if (hand_over(activation_token, deadline)) return Role::HandedOver;
        // The running copy may be starting (no socket yet) or ending (lock soon free).
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

SingleInstance::Lock SingleInstance::take_lock() {
    if (lock_fd_ < 0) lock_fd_ = open(lock_path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (lock_fd_ < 0) {
        warn("open the lock file", lock_path_);
        return Lock::Unavailable;
    }
    if (flock(lock_fd_, LOCK_EX | LOCK_NB) == 0) return Lock::Taken;
    if (errno == EWOULDBLOCK) return Lock::Held;
    warn("lock", lock_path_);
    return Lock::Unavailable;
}

void SingleInstance::start_server() {
    unlink(socket_path_.c_str());  // left by a copy that crashed; only the lock holder gets here
    server_fd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    const sockaddr_un address = socket_address(socket_path_);
    if (server_fd_ < 0 || bind(server_fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        chmod(socket_path_.c_str(), 0600) != 0 || listen(server_fd_, 8) != 0) {
        warn("listen on", socket_path_);
        if (server_fd_ >= 0) close(server_fd_);
        server_fd_ = -1;
    }
}

bool SingleInstance::hand_over(const QString& activation_token, Clock::time_point deadline) {
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    const sockaddr_un address = socket_address(socket_path_);
    // The token is one line of text; anything else is not passed on.
    const bool one_line = !activation_token.contains(QLatin1Char('\n'));
    const std::string token = one_line ? activation_token.toStdString() : std::string();
    bool confirmed = false;
    if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
        send_all(fd, std::string(kRequest) + token + "\n")) {
        confirmed = read_line(fd, deadline) == "ok";
    }
    close(fd);
    return confirmed;
}

void SingleInstance::listen_for_requests(std::function<void(const QString& token)> on_request) {
    if (server_fd_ < 0) return;
    on_request_ = std::move(on_request);
    notifier_ = std::make_unique<QSocketNotifier>(server_fd_, QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { serve_one(); });
}

void SingleInstance::serve_one() {
    const int client = accept4(server_fd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) return;
    // The sender writes its line right after connecting; a silent one is dropped.
    const std::string line = read_line(client, Clock::now() + std::chrono::seconds(1));
    if (line.starts_with(kRequest)) {
        if (on_request_) on_request_(QString::fromStdString(line.substr(kRequest.size())));
        send_all(client, "ok\n");
    }
    close(client);
}

}  // namespace qinghe
