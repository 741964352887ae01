#include "config/window_places.h"

#include <gtest/gtest.h>

#include <fstream>

#include "config/ini_file.h"
#include "tests/support/recording_window.h"
#include "tests/support/temp_folder.h"
#include "text/codec.h"

namespace qinghe {
namespace {

TEST(WindowPlaces, KeptBesideTheOtherSectionsAndReadOnlyWhenWhole) {
    TempFolder folder;
    RecordingWindow window;
    const Text section = from_utf8("热点榜");
    EXPECT_EQ(load_window_place(window, section), std::nullopt);  // settings not kept
    window.recorded.folder = folder.path();
    const std::filesystem::path file = folder.path() / "config.ini";
    std::ofstream(file, std::ios::binary) << "[other]\r\nkey=1\r\n";
    EXPECT_EQ(load_window_place(window, section), std::nullopt);

    store_window_place(window, section, {-20, 40, 900, 600});
    EXPECT_EQ(load_window_place(window, section), (WindowPlace{-20, 40, 900, 600}));
    EXPECT_EQ(read_profile_string(file, "other", "key"), "1");
    EXPECT_EQ(load_window_place(window, from_utf8("收藏与历史")), std::nullopt);

    for (const char* bad : {"1,2,3", "1,2,3,4,5", "a,2,3,4", "1,2,0,4", "1,2,3,-4", "1, 2,3,4", ""}) {
        write_profile_string(file, section, from_utf8("位置"), bad);
        EXPECT_EQ(load_window_place(window, section), std::nullopt) << bad;
    }
}

}  // namespace
}  // namespace qinghe
