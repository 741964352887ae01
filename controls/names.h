#pragma once
// The names of the window's controls, each spelled once, here. They are also the keys
// of the settings files, so they are spelled exactly as the stored files have them.
// `name::utf8::` holds the spellings for tables written at compile time (the form, the
// event bindings); `name::` the same names as program text for the code that acts on
// the window.
#include "text/codec.h"

namespace qinghe::name {
namespace utf8 {

inline constexpr const char* prefix_box = "编辑框_前缀";
inline constexpr const char* link_box = "编辑框_衔接";
inline constexpr const char* suffix_box = "编辑框_后缀";
inline constexpr const char* punctuation_1 = "编辑框_标点1";
inline constexpr const char* punctuation_2 = "编辑框_标点2";
inline constexpr const char* punctuation_3 = "编辑框_标点3";
inline constexpr const char* count_box = "编辑框_标题数";
inline constexpr const char* result_box = "超级编辑框_结果";
inline constexpr const char* hot_topics_check = "选择框_百度实时热点";
inline constexpr const char* generate_button = "按钮_生成";
inline constexpr const char* restore_button = "按钮_恢复默认";
inline constexpr const char* save_button = "按钮_保存配置";
inline constexpr const char* slot_radio_1 = "单选框1";
inline constexpr const char* slot_radio_2 = "单选框2";
inline constexpr const char* slot_radio_3 = "单选框3";
inline constexpr const char* slot_radio_4 = "单选框4";
inline constexpr const char* slot_name_2 = "编辑框1";
inline constexpr const char* slot_name_3 = "编辑框2";
inline constexpr const char* slot_name_4 = "编辑框3";
inline constexpr const char* download_link = "超级按钮1";
inline constexpr const char* media_link = "超级按钮2";
inline constexpr const char* messenger_link = "超级按钮3";
inline constexpr const char* prefix_heading = "透明标签1";
inline constexpr const char* link_heading = "透明标签2";
inline constexpr const char* suffix_heading = "透明标签3";
inline constexpr const char* count_caption = "标签1";

// The writer's panel, right of the designed controls.
inline constexpr const char* panel_button = "按钮_写作助手";
inline constexpr const char* panel_title = "标签_写作助手";
inline constexpr const char* keyword_caption = "标签_关键词";
inline constexpr const char* keyword_box = "编辑框_关键词";
inline constexpr const char* platform_caption = "标签_平台";
inline constexpr const char* platform_choice = "组合框_平台";
inline constexpr const char* no_repeat_check = "选择框_不重复";
inline constexpr const char* board_caption = "标签_热榜";
inline constexpr const char* board_choice = "组合框_热榜";
inline constexpr const char* status_label = "标签_状态";
inline constexpr const char* avoid_disasters_check = "选择框_避开灾难";
inline constexpr const char* topic_filter_button = "按钮_热点筛选";
inline constexpr const char* risk_caption = "标签_体检";
inline constexpr const char* risk_choice = "组合框_体检";
inline constexpr const char* risk_words_button = "按钮_风险词表";
inline constexpr const char* check_lists_button = "按钮_检查词组";
inline constexpr const char* hot_board_button = "按钮_热点榜";
inline constexpr const char* favourites_button = "按钮_收藏历史";
inline constexpr const char* avoid_used_check = "选择框_避开用过";

}  // namespace utf8

inline const Text prefix_box = from_utf8(utf8::prefix_box);
inline const Text link_box = from_utf8(utf8::link_box);
inline const Text suffix_box = from_utf8(utf8::suffix_box);
inline const Text punctuation_1 = from_utf8(utf8::punctuation_1);
inline const Text punctuation_2 = from_utf8(utf8::punctuation_2);
inline const Text punctuation_3 = from_utf8(utf8::punctuation_3);
inline const Text count_box = from_utf8(utf8::count_box);
inline const Text result_box = from_utf8(utf8::result_box);
inline const Text hot_topics_check = from_utf8(utf8::hot_topics_check);
inline const Text generate_button = from_utf8(utf8::generate_button);
inline const Text restore_button = from_utf8(utf8::restore_button);
inline const Text save_button = from_utf8(utf8::save_button);
inline const Text slot_radio_1 = from_utf8(utf8::slot_radio_1);
inline const Text slot_radio_2 = from_utf8(utf8::slot_radio_2);
inline const Text slot_radio_3 = from_utf8(utf8::slot_radio_3);
inline const Text slot_radio_4 = from_utf8(utf8::slot_radio_4);
inline const Text slot_name_2 = from_utf8(utf8::slot_name_2);
inline const Text slot_name_3 = from_utf8(utf8::slot_name_3);
inline const Text slot_name_4 = from_utf8(utf8::slot_name_4);
inline const Text download_link = from_utf8(utf8::download_link);
inline const Text media_link = from_utf8(utf8::media_link);
inline const Text messenger_link = from_utf8(utf8::messenger_link);
inline const Text panel_button = from_utf8(utf8::panel_button);
inline const Text keyword_box = from_utf8(utf8::keyword_box);
inline const Text platform_choice = from_utf8(utf8::platform_choice);
inline const Text no_repeat_check = from_utf8(utf8::no_repeat_check);
inline const Text board_choice = from_utf8(utf8::board_choice);
inline const Text status_label = from_utf8(utf8::status_label);
inline const Text avoid_disasters_check = from_utf8(utf8::avoid_disasters_check);
inline const Text topic_filter_button = from_utf8(utf8::topic_filter_button);
inline const Text risk_choice = from_utf8(utf8::risk_choice);
inline const Text risk_words_button = from_utf8(utf8::risk_words_button);
inline const Text check_lists_button = from_utf8(utf8::check_lists_button);
inline const Text hot_board_button = from_utf8(utf8::hot_board_button);
inline const Text favourites_button = from_utf8(utf8::favourites_button);
inline const Text avoid_used_check = from_utf8(utf8::avoid_used_check);

}  // namespace qinghe::name
