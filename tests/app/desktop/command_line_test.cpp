// The command line is read before any application object or display exists.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTranslator>
#include <ostream>
#include <string>
#include <vector>

#include "app/desktop/command_line.h"
#include "generated/build_info.h"

namespace qinghe {
namespace {

CommandLine parse(std::vector<const char*> arguments) {
    arguments.insert(arguments.begin(), "qinghe");
    return parse_command_line(static_cast<int>(arguments.size()), arguments.data());
}

struct Case {
    std::vector<const char*> arguments;
    bool run;
    int exit_code;
    const char* out;  // expected at the start of standard output
    const char* err;  // expected somewhere in standard error
};

void PrintTo(const Case& c, std::ostream* out) {
    *out << "qinghe";
    for (const char* argument : c.arguments) *out << ' ' << argument;
}

// The program reads its command line before the application exists, so before Qt's
// translations are installed; the tests' application has them, so they step aside.
class CommandLineTest : public testing::TestWithParam<Case> {
protected:
    void SetUp() override {
        if (QCoreApplication* app = QCoreApplication::instance()) translators_ = app->findChildren<QTranslator*>();
        for (QTranslator* translator : translators_) QCoreApplication::removeTranslator(translator);
    }
    void TearDown() override {
        for (QTranslator* translator : translators_) QCoreApplication::installTranslator(translator);
    }

private:
    QList<QTranslator*> translators_;
};

TEST_P(CommandLineTest, Outcome) {
    const Case& expected = GetParam();
    const CommandLine result = parse(expected.arguments);
    EXPECT_EQ(result.run, expected.run);
    EXPECT_EQ(result.exit_code, expected.exit_code);
    EXPECT_TRUE(result.out.starts_with(expected.out)) << result.out;
    EXPECT_NE(result.err.find(expected.err), std::string::npos) << result.err;
    if (*expected.err) {
        EXPECT_NE(result.err.find("Usage: qinghe [options]"), std::string::npos) << result.err;
    }
}

INSTANTIATE_TEST_SUITE_P(Arguments, CommandLineTest,
                         testing::Values(Case{{}, true, 0, "", ""},
                                         Case{{"--help"}, false, 0, "Usage: qinghe [options]", ""},
                                         Case{{"-h"}, false, 0, "Usage: qinghe [options]", ""},
                                         Case{{"--version"}, false, 0, "qinghe " QINGHE_VERSION "\n", ""},
                                         Case{{"-v"}, false, 0, "qinghe " QINGHE_VERSION "\n", ""},
                                         Case{{"--bogus"}, false, 2, "", "Unknown option 'bogus'"},
                                         Case{{"-x"}, false, 2, "", "Unknown option 'x'"},
                                         Case{{"file.txt"}, false, 2, "", "Unexpected argument 'file.txt'"},
                                         // Qt's own options stay for QApplication, in both spellings.
                                         Case{{"-platform", "offscreen"}, true, 0, "", ""},
                                         Case{{"--platform=offscreen", "-reverse"}, true, 0, "", ""},
                                         Case{{"-style", "Fusion", "-session", "1234_5"}, true, 0, "", ""},
                                         Case{{"-platform"}, false, 2, "", "Missing value after '-platform'"}));

TEST(CommandLine, HelpListsOnlyTheProgramsOwnOptions) {
    const std::string help = parse({"--help"}).out;
    EXPECT_NE(help.find("--version"), std::string::npos);
    EXPECT_EQ(help.find("platform"), std::string::npos);
    EXPECT_EQ(help.find("help-all"), std::string::npos);
}

}  // namespace
}  // namespace qinghe
