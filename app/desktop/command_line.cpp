#include "app/desktop/command_line.h"

#include <QCommandLineParser>
#include <QStringList>

#include "generated/build_info.h"

namespace qinghe {
namespace {

// Options that QGuiApplication, QApplication or the X11 platform take out of argv.
constexpr const char* kQtOptionsWithValue[] = {
    "platform",   "platformpluginpath", "platformtheme", "plugin",  "qwindowgeometry", "geometry", "qwindowicon",
    "icon",       "qwindowtitle",       "title",         "session", "display",         "name",     "style",
    "stylesheet", "qmljsdebugger",
};
constexpr const char* kQtFlags[] = {"reverse", "widgetcount", "nograb", "dograb", "sync", "testability"};

void add_hidden(QCommandLineParser& parser, const char* name, bool takes_value) {
    QCommandLineOption option(QString::fromLatin1(name));
    if (takes_value) option.setValueName(QStringLiteral("value"));
    option.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(option);
}

// Qt's first line names the program by argv[0], or by a placeholder before an
// application object exists: the usage names the installed command instead.
QString help_text(const QCommandLineParser& parser) {
    const QString text = parser.helpText();
    return QStringLiteral("Usage: qinghe [options]") + text.mid(text.indexOf(QLatin1Char('\n')));
}

void set_up(QCommandLineParser& parser, const QCommandLineOption& help, const QCommandLineOption& version) {
    // Qt's options are written with one dash: "-platform xcb" is one option, not "-p -l ...".
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(QStringLiteral("青禾: generates batches of eye-catching headlines."));
    parser.addOption(help);
    parser.addOption(version);
    for (const char* name : kQtOptionsWithValue) add_hidden(parser, name, true);
    for (const char* name : kQtFlags) add_hidden(parser, name, false);
}

}  // namespace

CommandLine parse_command_line(int argc, const char* const argv[]) {
    QCommandLineParser parser;
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Print this help and exit."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Print the version and exit."));
    set_up(parser, help, version);
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    const bool parsed = parser.parse(arguments);
    const QStringList extra = parser.positionalArguments();
    if (!parsed || !extra.isEmpty()) {
        const QString error =
            parsed ? QStringLiteral("Unexpected argument '%1'.").arg(extra.first()) : parser.errorText();
        return {false, 2, {}, ("qinghe: " + error + "\n\n" + help_text(parser)).toStdString()};
    }
    if (parser.isSet(help)) return {false, 0, help_text(parser).toStdString(), {}};
    if (parser.isSet(version)) return {false, 0, "qinghe " QINGHE_VERSION "\n", {}};
    return {};
}

}  // namespace qinghe
