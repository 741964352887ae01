#include <QApplication>
#include <cstdio>

#include "app/application.h"
#include "app/desktop/command_line.h"
#include "app/desktop/exit_signals.h"
#include "app/desktop/single_instance.h"
#include "app/window/window_widget.h"
#include "app/wiring.h"
#include "config/settings_location.h"

namespace {

// The token that the desktop gave this start for focusing its window.
QString activation_token() {
    const QByteArray wayland = qgetenv("XDG_ACTIVATION_TOKEN");
    return QString::fromUtf8(wayland.isEmpty() ? qgetenv("DESKTOP_STARTUP_ID") : wayland);
}

}  // namespace

int main(int argc, char* argv[]) {
    const qinghe::CommandLine command = qinghe::parse_command_line(argc, argv);
    std::fputs(command.out.c_str(), stdout);
    std::fputs(command.err.c_str(), stderr);
    if (!command.run) return command.exit_code;

    // A second start hands over before it needs a display.
    const std::filesystem::path settings = qinghe::settings_folder();
    qinghe::SingleInstance instance(settings);
    switch (instance.claim(activation_token())) {
        case qinghe::SingleInstance::Role::First: break;
        case qinghe::SingleInstance::Role::HandedOver: return 0;
        case qinghe::SingleInstance::Role::Unanswered:
            std::fprintf(stderr, "qinghe: a running copy keeps its settings in %s but does not answer\n",
                         settings.c_str());
            return 1;
    }

    QApplication app(argc, argv);
    qinghe::configure_application(app);
    qinghe::WindowWidget window;
    window.services().set_settings_folder(settings);
    qinghe::wire_events(window);
    instance.listen_for_requests([&window](const QString& token) { window.bring_to_front(token); });
    const auto exit_signals = qinghe::watch_exit_signals(window);
    window.centre_on_screen();
    window.show();
    return app.exec();
}
