#pragma once
// One running copy per settings folder. The first copy holds a lock on a file named after
// the folder (flock: the kernel drops it when the process ends, so a crash leaves no
// stale lock) and listens on a local socket beside it; a later start sends the running
// copy a request to come to the front and ends. Plain POSIX sockets keep Qt Network, and
// the libraries it loads, out of the start-up.
#include <QString>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>

class QSocketNotifier;

namespace qinghe {

// <runtime folder>/qinghe-<uid>-<hash of the settings folder>; the runtime folder is
// $XDG_RUNTIME_DIR, or the temporary folder when that is unset or too long for a socket.
std::filesystem::path instance_base(const std::filesystem::path& settings_folder);

class SingleInstance {
public:
    enum class Role {
        First,       // this process runs the window (also when no lock could be made at all)
        HandedOver,  // a running copy was asked to come to the front and confirmed it
        Unanswered,  // a running copy holds the lock but did not confirm in time
    };

    explicit SingleInstance(const std::filesystem::path& settings_folder);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // Takes the lock or hands over to the copy that holds it. `activation_token` (the
    // desktop's startup token, may be empty) travels to the running copy.
    Role claim(const QString& activation_token, std::chrono::milliseconds patience = std::chrono::seconds(5));

    // After claim() returned First, with an application object: runs `on_request` with
    // the sender's activation token for every later start.
    void listen_for_requests(std::function<void(const QString& token)> on_request);

private:
    enum class Lock { Taken, Held, Unavailable };
    Lock take_lock();
    void start_server();
    bool hand_over(const QString& activation_token, std::chrono::steady_clock::time_point deadline);
    void serve_one();

    std::filesystem::path lock_path_;
    std::filesystem::path socket_path_;
    int lock_fd_ = -1;
    int server_fd_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::function<void(const QString&)> on_request_;
};

}  // namespace qinghe
