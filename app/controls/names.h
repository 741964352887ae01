#pragma once
// Names of the controls that the program's actions address, as program text. They are
// also the keys of the settings files, so they are spelled exactly as in the form.
#include "text/codec.h"

namespace qinghe::name {

inline const Text prefix_box = from_utf8("编辑框_前缀");
inline const Text link_box = from_utf8("编辑框_衔接");
inline const Text suffix_box = from_utf8("编辑框_后缀");
inline const Text punctuation_1 = from_utf8("编辑框_标点1");
inline const Text punctuation_2 = from_utf8("编辑框_标点2");
inline const Text punctuation_3 = from_utf8("编辑框_标点3");
inline const Text count_box = from_utf8("编辑框_标题数");
inline const Text result_box = from_utf8("超级编辑框_结果");
inline const Text hot_topics_check = from_utf8("选择框_百度实时热点");
inline const Text generate_button = from_utf8("按钮_生成");
inline const Text restore_button = from_utf8("按钮_恢复默认");
inline const Text save_button = from_utf8("按钮_保存配置");
inline const Text slot_radio_1 = from_utf8("单选框1");
inline const Text slot_radio_2 = from_utf8("单选框2");
inline const Text slot_radio_3 = from_utf8("单选框3");
inline const Text slot_radio_4 = from_utf8("单选框4");
inline const Text slot_name_2 = from_utf8("编辑框1");
inline const Text slot_name_3 = from_utf8("编辑框2");
inline const Text slot_name_4 = from_utf8("编辑框3");
inline const Text download_link = from_utf8("超级按钮1");
inline const Text media_link = from_utf8("超级按钮2");
inline const Text messenger_link = from_utf8("超级按钮3");

}  // namespace qinghe::name
