#pragma once
// The built-in values of the seven generator inputs: the window's initial contents and
// what "恢复默认" writes back, byte for byte the same.
#include <string_view>

#include "text/text.h"

namespace qinghe {

const Text& builtin_prefix_list();
const Text& builtin_link_list();
const Text& builtin_suffix_list();
const Text& builtin_punctuation_1();  // "，"
const Text& builtin_punctuation_2();  // "，"
const Text& builtin_punctuation_3();  // "！"
const Text& builtin_count();          // "10"

// The three lists as their data files hold them: UTF-8, a line break (LF or CR LF) after
// each entry but the last. Converted, they are the lists above; a window shows them
// without converting them to program text first.
std::string_view builtin_prefix_list_utf8();
std::string_view builtin_link_list_utf8();
std::string_view builtin_suffix_list_utf8();

}  // namespace qinghe
