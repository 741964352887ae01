#include <gtest/gtest.h>

#include "controls/names.h"
#include "tests/support/recording_window.h"
#include "titles/builtin.h"
#include "titles/restore.h"

namespace qinghe {
namespace {

TEST(RestoreDefaults, WritesTheSevenBoxesInOrderAndNothingElse) {
    RecordingWindow window;
    restore_defaults(window);
    const std::vector<std::pair<Text, Text>> expected = {
        {name::prefix_box, builtin_prefix_list()},
        {name::link_box, builtin_link_list()},
        {name::suffix_box, builtin_suffix_list()},
        {name::punctuation_1, builtin_punctuation_1()},
        {name::punctuation_2, builtin_punctuation_2()},
        {name::punctuation_3, builtin_punctuation_3()},
        {name::count_box, builtin_count()},
    };
    EXPECT_EQ(window.writes, expected);
    EXPECT_EQ(window.other_calls, 0);

    restore_defaults(window);
    EXPECT_EQ(window.writes.size(), 14u);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), window.writes.begin() + 7));
}

}  // namespace
}  // namespace qinghe
