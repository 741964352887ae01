#include "app/application.h"

#include <QApplication>
#include <QFont>

#include "app/window/images.h"
#include "generated/build_info.h"

namespace qinghe {

void configure_application(QApplication& app) {
    const QStringList song = {QStringLiteral("AR PL UMing CN"), QStringLiteral("AR PL SungtiL GB"),
                              QStringLiteral("Noto Serif CJK SC")};
    QFont::insertSubstitutions(QStringLiteral("宋体"), song);
    QFont::insertSubstitutions(QStringLiteral("SimSun"), song);
    // The name is also the X11 window class, which the desktop entry's StartupWMClass names.
    app.setApplicationName(QStringLiteral("qinghe"));
    app.setApplicationVersion(QStringLiteral(QINGHE_VERSION));
    app.setDesktopFileName(QString::fromLatin1(kApplicationId));
    app.setWindowIcon(application_icon());
    app.setStyle(QStringLiteral("Fusion"));
}

}  // namespace qinghe
