#pragma once
// The program's application object and window, set up as main() sets them up.
#include <QApplication>

#include "app/application.h"
#include "app/window/window_widget.h"
#include "app/wiring.h"

namespace bench {

class Program {
public:
    Program() {
        qinghe::configure_application(app_);
        // The window needs the configured application (fonts) before it is built.
        window_ = std::make_unique<qinghe::WindowWidget>();
        qinghe::wire_events(*window_);
        window_->centre_on_screen();
    }
    QApplication& app() { return app_; }
    qinghe::WindowWidget& window() { return *window_; }

private:
    int argc_ = 1;
    char name_[8] = "qinghe";
    char* argv_[2] = {name_, nullptr};
    QApplication app_{argc_, argv_};
    std::unique_ptr<qinghe::WindowWidget> window_;
};

}  // namespace bench
