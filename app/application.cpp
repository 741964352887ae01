#include "app/application.h"

#include <QApplication>
#include <QFont>

namespace qinghe {

void configure_application(QApplication& app) {
    const QStringList song = {QStringLiteral("AR PL UMing CN"), QStringLiteral("AR PL SungtiL GB"),
                              QStringLiteral("Noto Serif CJK SC")};
    QFont::insertSubstitutions(QStringLiteral("宋体"), song);
    QFont::insertSubstitutions(QStringLiteral("SimSun"), song);
    app.setApplicationName(QStringLiteral("qinghe"));
    app.setStyle(QStringLiteral("Fusion"));
}

}  // namespace qinghe
