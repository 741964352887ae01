#include <QApplication>

#include "app/application.h"
#include "app/main_window.h"
#include "app/wiring.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    qinghe::configure_application(app);
    qinghe::MainWindow window;
    window.controls().set_settings_folder(qinghe::settings_folder());
    qinghe::wire_events(window);
    window.centre_on_screen();
    window.show();
    return app.exec();
}
