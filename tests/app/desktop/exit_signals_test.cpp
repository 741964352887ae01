// The session's requests on the real window: a commit-data request (sent at checkpoints
// as well as at logout) saves what closing saves and leaves the program running; the
// application's end closes the window, which stores the same.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <memory>

#include "app/desktop/exit_signals.h"
#include "app/window/window_widget.h"
#include "app/wiring.h"
#include "config/ini_file.h"
#include "controls/names.h"
#include "tests/support/temp_folder.h"
#include "text/codec.h"

namespace qinghe {
namespace {

class ExitSignalsTest : public testing::Test {
protected:
    void SetUp() override {
        window.services().set_settings_folder(settings.path());
        wire_events(window);
        window.show();
        window.controls().set_content(name::slot_name_2, from_utf8("检查点"));
        window.controls().set_checked(name::slot_radio_3, true);
    }

    void expect_stored() const {
        const IniFile config = IniFile::load(settings.path() / "config.ini");
        EXPECT_EQ(config.value(from_utf8("编辑框"), name::slot_name_2), from_utf8("检查点"));
        EXPECT_EQ(config.value(from_utf8("单选框"), name::slot_radio_3), from_utf8("真"));
    }

    TempFolder settings;
    WindowWidget window;
    std::unique_ptr<ExitSignals> exit_signals = watch_exit_signals(window);
};

TEST_F(ExitSignalsTest, CommitDataSavesAndTheWindowStaysOpen) {
    exit_signals->commit_data();
    expect_stored();
    EXPECT_TRUE(window.isVisible());
}

TEST_F(ExitSignalsTest, QuittingClosesTheWindowAsEscDoes) {
    // exit() closes no window by itself, unlike the session's end, which quits through Qt.
    QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
    expect_stored();
    EXPECT_FALSE(window.isVisible());
}

}  // namespace
}  // namespace qinghe
