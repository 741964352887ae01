#pragma once
// SIGTERM, SIGINT, SIGHUP and the session manager's end of session close the window the
// way Esc does, so that closing stores what it stores. The signal handler only writes the
// signal's number into a pipe; the event loop reads it and closes the window.
#include <QObject>
#include <csignal>
#include <functional>
#include <memory>

class QSocketNotifier;

namespace qinghe {

class ExitSignals : public QObject {
public:
    // One at a time: the handlers write into this object's pipe. `close_window` closes
    // the program's window as Esc does.
    explicit ExitSignals(std::function<void()> close_window);
    ~ExitSignals() override;

private:
    void on_signal();

    std::function<void()> close_window_;
    std::unique_ptr<QSocketNotifier> notifier_;
    struct sigaction previous_[3] = {};
};

}  // namespace qinghe
