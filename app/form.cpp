#include "app/form.h"

#include <array>

#include "app/build_info.h"

namespace qinghe::form {
namespace {

using enum ControlKind;

constexpr Colour kBlack = 0x000000;
constexpr Colour kSilver = 0xC0C0C0;
constexpr Colour kWhite = 0xFFFFFF;
constexpr Colour kRed = 0x0000FF;
constexpr Font kSongTi12{"宋体", 12};

// The outer size is 575 x 557. Assuming a 22-pixel title bar and a 3-pixel border on
// every side (a fixed single frame at 96 dpi), the client area is 569 x 529.
constexpr WindowRow kWindow{
    .caption = "青禾 v" QINGHE_VERSION "   QQ：",
    .outer_width = 575,
    .outer_height = 557,
    .client_width = 569,
    .client_height = 529,
    .font = kSongTi12,
};

constexpr ControlRow kListBox{
    .name = "", .kind = EditBox, .geometry = {}, .text = kSilver, .background = kWhite,
    .edge = Edge::Static, .multi_line = true, .vertical_scroll_bar = true,
};
constexpr ControlRow kPunctuationBox{
    .name = "", .kind = EditBox, .geometry = {}, .text = kSilver, .background = kWhite, .edge = Edge::Static,
};
constexpr ControlRow kSlotNameBox{.name = "", .kind = EditBox, .geometry = {}, .edge = Edge::Static};

constexpr ControlRow with(ControlRow row, const char* name, Geometry geometry, int tab_order,
                           const char* caption = "", Builtin builtin = Builtin::None) {
    row.name = name;
    row.geometry = geometry;
    row.tab_order = tab_order;
    row.caption = caption;
    row.builtin = builtin;
    return row;
}

constexpr std::array kControls{
    ControlRow{.name = "超级按钮3", .kind = PictureButton, .geometry = {457, 443, 77, 22},
                .font = kSongTi12, .tooltip = "反馈问题", .face_image = true, .tab_order = 22},
    ControlRow{.name = "超级按钮2", .kind = PictureButton, .geometry = {440, 474, 110, 27},
                .caption = "自助服务系统", .text = kRed, .hover_text = kRed, .font = kSongTi12,
                .tooltip = "24小时自助下单：微博、微信、抖音、快手、头条、小红书，涨粉点赞一站搞定",
                .tab_order = 21},
    ControlRow{.name = "选择框_百度实时热点", .kind = CheckBox, .geometry = {22, 408, 136, 16},
                .caption = "植入实时热点", .tab_order = 8},
    ControlRow{.name = "透明标签3", .kind = TransparentLabel, .geometry = {363, 5, 128, 40},
                .caption = "后缀：结果 (可空)"},
    ControlRow{.name = "透明标签2", .kind = TransparentLabel, .geometry = {187, 5, 128, 40},
                .caption = "衔接:事件/动作要求"},
    ControlRow{.name = "透明标签1", .kind = TransparentLabel, .geometry = {19, 5, 128, 40},
                .caption = "前缀：抓眼球"},
    with(kPunctuationBox, "编辑框_标点3", {523, 109, 24, 24}, 6, "", Builtin::Punctuation3),
    with(kPunctuationBox, "编辑框_标点2", {332, 109, 24, 24}, 4, "", Builtin::Punctuation2),
    with(kPunctuationBox, "编辑框_标点1", {153, 109, 24, 24}, 2, "", Builtin::Punctuation1),
    ControlRow{.name = "按钮_保存配置", .kind = PushButton, .geometry = {92, 474, 64, 32},
                .caption = "保存配置", .tab_order = 19},
    with(kSlotNameBox, "编辑框3", {478, 405, 53, 24}, 15, "行业 3"),
    ControlRow{.name = "单选框4", .kind = RadioButton, .geometry = {459, 405, 75, 24}, .tab_order = 14},
    with(kSlotNameBox, "编辑框2", {383, 405, 53, 24}, 13, "行业 2"),
    ControlRow{.name = "单选框3", .kind = RadioButton, .geometry = {364, 405, 75, 24}, .tab_order = 12},
    with(kSlotNameBox, "编辑框1", {288, 405, 54, 24}, 11, "行业 1"),
    ControlRow{.name = "单选框2", .kind = RadioButton, .geometry = {269, 405, 75, 24}, .tab_order = 10},
    ControlRow{.name = "单选框1", .kind = RadioButton, .geometry = {177, 405, 75, 24},
                .caption = "默认配置", .checked = true, .tab_order = 9},
    ControlRow{.name = "超级按钮1", .kind = PictureButton, .geometry = {168, 442, 32, 64},
                .caption = "视\r\n频\r\n教\r\n程", .text = kBlack, .hover_text = kRed, .font = kSongTi12,
                .tooltip = "观看使用视频，检测更新", .tab_order = 20},
    // 9 points at 96 dpi.
    ControlRow{.name = "超级编辑框_结果", .kind = RichTextBox, .geometry = {19, 229, 533, 164},
                .background = kWhite, .edge = Edge::Client, .multi_line = true, .vertical_scroll_bar = true,
                .font = kSongTi12, .tab_order = 7},
    ControlRow{.name = "按钮_恢复默认", .kind = PushButton, .geometry = {19, 474, 64, 32},
                .caption = "恢复默认", .tab_order = 18},
    ControlRow{.name = "标签1", .kind = Label, .geometry = {20, 441, 47, 25}, .caption = "标题数："},
    with(kListBox, "编辑框_前缀", {19, 45, 128, 166}, 1, "", Builtin::PrefixList),
    with(kListBox, "编辑框_衔接", {188, 45, 136, 166}, 3, "", Builtin::LinkList),
    with(kListBox, "编辑框_后缀", {365, 46, 152, 165}, 5, "", Builtin::SuffixList),
    ControlRow{.name = "编辑框_标题数", .kind = EditBox, .geometry = {83, 441, 72, 25}, .builtin = Builtin::Count,
                .background = kWhite, .edge = Edge::Client, .tab_order = 16},
    ControlRow{.name = "按钮_生成", .kind = PushButton, .geometry = {208, 441, 219, 65},
                .caption = "生成标题", .tab_order = 17},
};
static_assert(kControls.size() == 26);

}  // namespace

const WindowRow& window() { return kWindow; }

std::span<const ControlRow> controls() { return kControls; }

}  // namespace qinghe::form
