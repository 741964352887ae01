#include "app/application.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QTimer>
#include <QTranslator>

#include "app/window/images.h"
#include "generated/build_info.h"

namespace qinghe {
namespace {

// Gives the application its icon once the first frame has been painted, or a second
// into the event loop at the latest (a window started minimised paints nothing). On X11
// setting the icon decodes and converts every size for the window manager, which the
// first frame does without.
class IconAfterFirstFrame : public QObject {
public:
    explicit IconAfterFirstFrame(QApplication& app) : QObject(&app) {
        app.installEventFilter(this);
        QTimer::singleShot(0, this, [this] { QTimer::singleShot(1000, this, &IconAfterFirstFrame::give_icon); });
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            qApp->removeEventFilter(this);
            QTimer::singleShot(0, this, &IconAfterFirstFrame::give_icon);
        }
        return false;
    }

private:
    void give_icon() {
        if (given_) return;
        given_ = true;
        qApp->removeEventFilter(this);
        QApplication::setWindowIcon(application_icon());
        deleteLater();
    }

    bool given_ = false;
};

// Qt's translation writes the edit menus' undo in the older form 撤消; the writer reads
// 撤销 today. Asked before Qt's own translation, it answers for that entry alone.
class PresentDaySpelling : public QTranslator {
public:
    using QTranslator::QTranslator;
    QString translate(const char*, const char* source, const char*, int) const override {
        return qstrcmp(source, "&Undo") == 0 ? QStringLiteral("撤销(&U)") : QString();
    }
    bool isEmpty() const override { return false; }
};

// Qt's own texts (the edit boxes' menus, the file dialog) in Chinese, whatever the
// system's language: every caption of the window is Chinese. Without the translations
// installed they stay English.
void translate_qt(QApplication& app) {
    auto* translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return;
    }
    QApplication::installTranslator(translator);
    QApplication::installTranslator(new PresentDaySpelling(&app));
}

}  // namespace

void configure_application(QApplication& app) {
    translate_qt(app);
    const QStringList song = {QStringLiteral("AR PL UMing CN"), QStringLiteral("AR PL SungtiL GB"),
                              QStringLiteral("Noto Serif CJK SC")};
    QFont::insertSubstitutions(QStringLiteral("宋体"), song);
    QFont::insertSubstitutions(QStringLiteral("SimSun"), song);
    // The name is also the X11 window class, which the desktop entry's StartupWMClass names.
    app.setApplicationName(QStringLiteral("qinghe"));
    app.setApplicationVersion(QStringLiteral(QINGHE_VERSION));
    app.setDesktopFileName(QString::fromLatin1(kApplicationId));
    new IconAfterFirstFrame(app);
    app.setStyle(QStringLiteral("Fusion"));
}

}  // namespace qinghe
