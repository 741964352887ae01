#pragma once
// SIGTERM, SIGINT, SIGHUP and the session manager's end of session close the window the
// way Esc does, so that closing stores what it stores. The signal handler only writes the
// signal's number into a pipe; the event loop reads it and closes the window.
#include <QObject>
#include <csignal>
#include <memory>

class QSocketNotifier;
class QWidget;

namespace qinghe {

class ExitSignals : public QObject {
public:
    // One at a time: the handlers write into this object's pipe.
    explicit ExitSignals(QWidget& window);
    ~ExitSignals() override;

private:
    void on_signal();

    QWidget& window_;
    std::unique_ptr<QSocketNotifier> notifier_;
    struct sigaction previous_[3] = {};
};

}  // namespace qinghe
