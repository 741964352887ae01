// Where the settings files go: beside a portable program, in the user's folder for an
// installed one.
#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>

#include "config/settings_location.h"
#include "generated/build_info.h"
#include "tests/support/temp_folder.h"

namespace qinghe {
namespace {

using std::filesystem::path;

struct Case {
    const char* what;
    bool installed;
    bool writable;
    const char* config_home;
    const char* expected;
};

TEST(SettingsLocation, Rule) {
    const Case cases[] = {
        {"portable, writable", false, true, "", "/opt/q/bin"},
        {"portable, read-only", false, false, "", "/home/u/.config/qinghe"},
        {"installed, read-only", true, false, "", "/home/u/.config/qinghe"},
        {"installed, writable (root)", true, true, "", "/home/u/.config/qinghe"},
        {"installed, XDG_CONFIG_HOME", true, true, "/xdg", "/xdg/qinghe"},
        {"portable, XDG_CONFIG_HOME unused", false, true, "/xdg", "/opt/q/bin"},
    };
    for (const Case& c : cases) {
        const SettingsPlace place{"/opt/q/bin", c.installed, c.writable, c.config_home, "/home/u"};
        EXPECT_EQ(choose_settings_folder(place), path(c.expected)) << c.what;
    }
}

class SettingsProbe : public testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(bin);
        saved_config_home_ = std::getenv("XDG_CONFIG_HOME") ? std::getenv("XDG_CONFIG_HOME") : "";
    }
    void TearDown() override {
        std::filesystem::permissions(bin, std::filesystem::perms::owner_all);
        if (saved_config_home_.empty()) unsetenv("XDG_CONFIG_HOME");
        else setenv("XDG_CONFIG_HOME", saved_config_home_.c_str(), 1);
    }
    void install_marker() {
        const path marker = bin / kInstalledMarker;
        std::filesystem::create_directories(marker.parent_path());
        std::ofstream(marker) << "installed\n";
    }

    TempFolder folder;
    const path bin = folder.path() / "bin";

private:
    std::string saved_config_home_;
};

TEST_F(SettingsProbe, BuiltFolderIsPortable) {
    const SettingsPlace place = probe_settings_place(bin);
    EXPECT_FALSE(place.installed);
    EXPECT_TRUE(place.folder_writable);
    EXPECT_EQ(choose_settings_folder(place), bin);
}

TEST_F(SettingsProbe, InstalledFolderUsesTheUsersFolderEvenWhenWritable) {
    install_marker();
    setenv("XDG_CONFIG_HOME", (folder.path() / "config").c_str(), 1);
    const SettingsPlace place = probe_settings_place(bin);
    EXPECT_TRUE(place.installed);
    EXPECT_EQ(choose_settings_folder(place), folder.path() / "config" / "qinghe");
}

TEST_F(SettingsProbe, RelativeConfigHomeIsIgnored) {
    setenv("XDG_CONFIG_HOME", "relative/config", 1);
    EXPECT_TRUE(probe_settings_place(bin).config_home.empty());
}

TEST_F(SettingsProbe, ReadOnlyPortableFolder) {
    std::filesystem::permissions(bin, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
    EXPECT_FALSE(probe_settings_place(bin).folder_writable);
}

}  // namespace
}  // namespace qinghe
