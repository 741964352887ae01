#include "app/form/form.h"

#include <array>

#include "app/form/links.h"
#include "generated/build_info.h"

namespace qinghe::form {
namespace {

using enum ControlKind;

constexpr Colour kBlack = 0x000000;
constexpr Colour kSilver = 0xC0C0C0;
constexpr Colour kWhite = 0xFFFFFF;
constexpr Colour kRed = 0x0000FF;
constexpr Colour kGrey = rgb(128, 128, 128);
constexpr Font kSongTi12{"宋体", 12};

// The outer size is 575 x 557. Assuming a 22-pixel title bar and a 3-pixel border on
// every side (a fixed single frame at 96 dpi), the client area is 569 x 529.
constexpr WindowRow kWindow{
    .caption = "青禾 v" QINGHE_VERSION "   QQ：" QINGHE_CONTACT_NUMBER,
    .outer_width = 575,
    .outer_height = 557,
    .client_width = 569,
    .client_height = 529,
    .panel_width = 196,
    .font = kSongTi12,
};

// The table is laid out by hand, a control to a few lines, as the form reads best.
// clang-format off
constexpr ControlRow kListBox{
    .name = "", .kind = EditBox, .geometry = {}, .text = kSilver, .background = kWhite,
    .edge = Edge::Static, .multi_line = true, .vertical_scroll_bar = true,
};
constexpr ControlRow kPunctuationBox{
    .name = "", .kind = EditBox, .geometry = {}, .text = kSilver, .background = kWhite, .edge = Edge::Static,
};
constexpr ControlRow kSlotNameBox{.name = "", .kind = EditBox, .geometry = {}, .edge = Edge::Static};

constexpr ControlRow with(ControlRow row, const char* name, Geometry geometry, int tab_order,
                          const char* accessible_name, const char* caption = "", Builtin builtin = Builtin::None) {
    row.name = name;
    row.geometry = geometry;
    row.tab_order = tab_order;
    row.accessible_name = accessible_name;
    row.caption = caption;
    row.builtin = builtin;
    return row;
}

constexpr ControlRow kPanelCaption{.name = "", .kind = Label, .geometry = {}, .panel = true};

constexpr ControlRow panel_caption(const char* name, int top, const char* caption, const char* labels = nullptr) {
    ControlRow row = kPanelCaption;
    row.name = name;
    row.geometry = {577, top, 180, 16};
    row.caption = caption;
    row.labels = labels;
    return row;
}

constexpr std::array kControls{
    ControlRow{.name = name::utf8::messenger_link, .kind = PictureButton, .geometry = {457, 443, 77, 22},
                .font = kSongTi12, .tooltip = "反馈问题", .face_image = true, .tab_order = 22,
                .accessible_name = "反馈问题"},
    ControlRow{.name = name::utf8::media_link, .kind = PictureButton, .geometry = {440, 474, 110, 27},
                .caption = "自助服务系统", .text = kRed, .hover_text = kRed, .font = kSongTi12,
                .tooltip = "24小时自助下单：微博、微信、抖音、快手、头条、小红书，涨粉点赞一站搞定",
                .tab_order = 21, .accessible_name = "自助服务系统"},
    ControlRow{.name = name::utf8::hot_topics_check, .kind = CheckBox, .geometry = {22, 408, 136, 16},
                .caption = "植入实时热点", .tab_order = 8,
                .accessible_name = "植入实时热点"},
    ControlRow{.name = name::utf8::suffix_heading, .kind = TransparentLabel, .geometry = {363, 5, 128, 40},
                .caption = "后缀：结果 (可空)"},
    ControlRow{.name = name::utf8::link_heading, .kind = TransparentLabel, .geometry = {187, 5, 128, 40},
                .caption = "衔接:事件/动作要求"},
    ControlRow{.name = name::utf8::prefix_heading, .kind = TransparentLabel, .geometry = {19, 5, 128, 40},
                .caption = "前缀：抓眼球"},
    with(kPunctuationBox, name::utf8::punctuation_3, {523, 109, 24, 24}, 6, "后缀后的标点", "", Builtin::Punctuation3),
    with(kPunctuationBox, name::utf8::punctuation_2, {332, 109, 24, 24}, 4, "衔接后的标点", "", Builtin::Punctuation2),
    with(kPunctuationBox, name::utf8::punctuation_1, {153, 109, 24, 24}, 2, "前缀后的标点", "", Builtin::Punctuation1),
    ControlRow{.name = name::utf8::save_button, .kind = PushButton, .geometry = {92, 474, 64, 32},
                .caption = "保存配置", .tab_order = 19,
                .accessible_name = "保存配置"},
    with(kSlotNameBox, name::utf8::slot_name_4, {478, 405, 53, 24}, 15, "配置 4 的名称", "行业 3"),
    ControlRow{.name = name::utf8::slot_radio_4, .kind = RadioButton, .geometry = {459, 405, 75, 24}, .tab_order = 14,
                .accessible_name = "配置 4", .named_by = name::utf8::slot_name_4},
    with(kSlotNameBox, name::utf8::slot_name_3, {383, 405, 53, 24}, 13, "配置 3 的名称", "行业 2"),
    ControlRow{.name = name::utf8::slot_radio_3, .kind = RadioButton, .geometry = {364, 405, 75, 24}, .tab_order = 12,
                .accessible_name = "配置 3", .named_by = name::utf8::slot_name_3},
    with(kSlotNameBox, name::utf8::slot_name_2, {288, 405, 54, 24}, 11, "配置 2 的名称", "行业 1"),
    ControlRow{.name = name::utf8::slot_radio_2, .kind = RadioButton, .geometry = {269, 405, 75, 24}, .tab_order = 10,
                .accessible_name = "配置 2", .named_by = name::utf8::slot_name_2},
    ControlRow{.name = name::utf8::slot_radio_1, .kind = RadioButton, .geometry = {177, 405, 75, 24},
                .caption = "默认配置", .checked = true, .tab_order = 9,
                .accessible_name = "默认配置"},
    ControlRow{.name = name::utf8::download_link, .kind = PictureButton, .geometry = {168, 442, 32, 64},
                .caption = "视\r\n频\r\n教\r\n程", .text = kBlack, .hover_text = kRed, .font = kSongTi12,
                .tooltip = "观看使用视频，检测更新", .tab_order = 20,
                .accessible_name = "视频教程"},
    // 9 points at 96 dpi.
    ControlRow{.name = name::utf8::result_box, .kind = RichTextBox, .geometry = {19, 229, 533, 164},
                .background = kWhite, .edge = Edge::Client, .multi_line = true, .vertical_scroll_bar = true,
                .font = kSongTi12, .tab_order = 7, .accessible_name = "生成的标题"},
    ControlRow{.name = name::utf8::restore_button, .kind = PushButton, .geometry = {19, 474, 64, 32},
                .caption = "恢复默认", .tab_order = 18,
                .accessible_name = "恢复默认"},
    ControlRow{.name = name::utf8::count_caption, .kind = Label, .geometry = {20, 441, 47, 25}, .caption = "标题数："},
    with(kListBox, name::utf8::prefix_box, {19, 45, 128, 166}, 1, "前缀：抓眼球", "", Builtin::PrefixList),
    with(kListBox, name::utf8::link_box, {188, 45, 136, 166}, 3, "衔接:事件/动作要求", "", Builtin::LinkList),
    with(kListBox, name::utf8::suffix_box, {365, 46, 152, 165}, 5, "后缀：结果 (可空)", "", Builtin::SuffixList),
    ControlRow{.name = name::utf8::count_box, .kind = EditBox, .geometry = {83, 441, 72, 25}, .builtin = Builtin::Count,
                .background = kWhite, .edge = Edge::Client, .tab_order = 16,
                .accessible_name = "标题数"},
    ControlRow{.name = name::utf8::generate_button, .kind = PushButton, .geometry = {208, 441, 219, 65},
                .caption = "生成标题", .tab_order = 17,
                .accessible_name = "生成标题"},
    // The writer's panel. Its fold button lies right of the result box, in the designed
    // window; the rest is shown only while the panel is open.
    ControlRow{.name = name::utf8::panel_button, .kind = PushButton, .geometry = {555, 229, 12, 164},
               .caption = "«", .tooltip = "写作助手", .tab_order = 23, .accessible_name = "写作助手",
               .toggles = true},
    panel_caption(name::utf8::panel_title, 4, "写作助手"),
    panel_caption(name::utf8::keyword_caption, 24, "关键词（填入 ____）", name::utf8::keyword_box),
    ControlRow{.name = name::utf8::keyword_box, .kind = EditBox, .geometry = {577, 45, 180, 24},
               .background = kWhite, .edge = Edge::Client, .tab_order = 24, .accessible_name = "关键词",
               .panel = true, .placeholder = "多个关键词用 | 分隔"},
    panel_caption(name::utf8::platform_caption, 82, "发布平台", name::utf8::platform_choice),
    ControlRow{.name = name::utf8::platform_choice, .kind = ComboBox, .geometry = {577, 101, 180, 24},
               .builtin = Builtin::Platforms, .tab_order = 25, .accessible_name = "发布平台", .panel = true},
    ControlRow{.name = name::utf8::no_repeat_check, .kind = CheckBox, .geometry = {577, 138, 180, 16},
               .caption = "不重复", .tab_order = 26, .accessible_name = "不重复", .panel = true},
    panel_caption(name::utf8::board_caption, 170, "热点来源", name::utf8::board_choice),
    ControlRow{.name = name::utf8::board_choice, .kind = ComboBox, .geometry = {577, 189, 180, 24},
               .builtin = Builtin::HotBoards, .tab_order = 27, .accessible_name = "热点来源", .panel = true},
    // The status line has no fixed accessible name: a screen reader reads out its text.
    ControlRow{.name = name::utf8::status_label, .kind = Label, .geometry = {577, 229, 180, 104}, .text = kGrey,
               .panel = true, .word_wrap = true},
    ControlRow{.name = name::utf8::hot_board_button, .kind = PushButton, .geometry = {577, 341, 86, 24},
               .caption = "热点榜…", .tab_order = 28, .accessible_name = "热点榜…", .panel = true},
    ControlRow{.name = name::utf8::favourites_button, .kind = PushButton, .geometry = {671, 341, 86, 24},
               .caption = "收藏与历史…", .tab_order = 29, .accessible_name = "收藏与历史…", .panel = true},
    ControlRow{.name = name::utf8::avoid_used_check, .kind = CheckBox, .geometry = {577, 373, 180, 16},
               .caption = "避开用过的标题", .tab_order = 30, .accessible_name = "避开用过的标题", .panel = true},
    ControlRow{.name = name::utf8::avoid_disasters_check, .kind = CheckBox, .geometry = {577, 401, 180, 16},
               .caption = "避开灾难伤亡类热点", .tab_order = 31, .accessible_name = "避开灾难伤亡类热点", .panel = true},
    ControlRow{.name = name::utf8::topic_filter_button, .kind = PushButton, .geometry = {577, 421, 180, 24},
               .caption = "排除词 / 包含词…", .tab_order = 32, .accessible_name = "热点排除词和包含词", .panel = true},
    panel_caption(name::utf8::risk_caption, 455, "标题体检", name::utf8::risk_choice),
    ControlRow{.name = name::utf8::risk_choice, .kind = ComboBox, .geometry = {577, 474, 180, 24},
               .builtin = Builtin::RiskModes, .tab_order = 33, .accessible_name = "标题体检", .panel = true},
    ControlRow{.name = name::utf8::risk_words_button, .kind = PushButton, .geometry = {577, 503, 86, 22},
               .caption = "风险词表…", .tab_order = 34, .accessible_name = "风险词表", .panel = true},
    ControlRow{.name = name::utf8::check_lists_button, .kind = PushButton, .geometry = {671, 503, 86, 22},
               .caption = "检查词组", .tab_order = 35, .accessible_name = "检查词组", .panel = true},
};
// clang-format on
static_assert(kControls.size() == 26 + 19);

}  // namespace

const WindowRow& window() { return kWindow; }

std::span<const ControlRow> controls() { return kControls; }

}  // namespace qinghe::form
