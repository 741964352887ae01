#include "app/desktop/exit_signals.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>
#include <cerrno>

namespace qinghe {
namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

// Written by the handler, read by the event loop; -1 while no ExitSignals exists.
int pipe_fds[2] = {-1, -1};

void write_signal(int signal) {
    const int saved = errno;  // write() may change it under the interrupted code
    const char byte = static_cast<char>(signal);
    [[maybe_unused]] const ssize_t ignored = write(pipe_fds[1], &byte, 1);
    errno = saved;
}

}  // namespace

ExitSignals::ExitSignals(std::function<void()> close_window, std::function<void()> save_state)
        : close_window_(std::move(close_window)), save_state_(std::move(save_state)) {
    // A commit-data request saves and nothing more; at the session's real end the session
    // manager has Qt quit the application, and the window closes as on Esc then (Qt closes
    // it too on its way, and closing again changes nothing).
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager&) { commit_data(); });
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] { close_window_(); });
    // Non-blocking writes: a handler must never wait, even if signals pile up.
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pipe_fds) != 0) return;
    fcntl(pipe_fds[1], F_SETFL, O_NONBLOCK);
    notifier_ = std::make_unique<QSocketNotifier>(pipe_fds[0], QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &ExitSignals::on_signal);
    struct sigaction action = {};
    action.sa_handler = write_signal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int i = 0; i < 3; ++i) sigaction(kSignals[i], &action, &previous_[i]);
}

ExitSignals::~ExitSignals() {
    if (pipe_fds[0] < 0) return;
    for (int i = 0; i < 3; ++i) sigaction(kSignals[i], &previous_[i], nullptr);
    notifier_.reset();
    close(pipe_fds[0]);
    close(pipe_fds[1]);
    pipe_fds[0] = pipe_fds[1] = -1;
}

void ExitSignals::commit_data() { save_state_(); }

void ExitSignals::on_signal() {
    char bytes[16];
    [[maybe_unused]] const ssize_t drained = read(pipe_fds[0], bytes, sizeof bytes);
    close_window_();
}

}  // namespace qinghe
