#pragma once
// SIGTERM, SIGINT, SIGHUP and the end of the application (the session manager's end of
// session quits it) close the window the way Esc does, so that closing stores what it
// stores. The session manager's commit-data request, which also comes at checkpoints,
// only saves: the program goes on. The signal handler only writes the signal's number
// into a pipe; the event loop reads it and closes the window.
#include <QObject>
#include <csignal>
#include <functional>
#include <memory>

class QSocketNotifier;

namespace qinghe {

class ExitSignals : public QObject {
public:
    // One at a time: the handlers write into this object's pipe. `close_window` closes
    // the program's window as Esc does; `save_state` stores what closing stores and
    // leaves the window open.
    ExitSignals(std::function<void()> close_window, std::function<void()> save_state);
    ~ExitSignals() override;

    // What a session manager's commit-data request runs (at logout and at checkpoints).
    void commit_data();

private:
    void on_signal();

    std::function<void()> close_window_;
    std::function<void()> save_state_;
    std::unique_ptr<QSocketNotifier> notifier_;
    struct sigaction previous_[3] = {};
};

}  // namespace qinghe
