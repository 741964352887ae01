#pragma once
// The built-in values of the seven generator inputs: the window's initial contents and
// what "恢复默认" writes back, byte for byte the same.
#include "text/text.h"

namespace qinghe {

const Text& builtin_prefix_list();
const Text& builtin_link_list();
const Text& builtin_suffix_list();
const Text& builtin_punctuation_1();  // "，"
const Text& builtin_punctuation_2();  // "，"
const Text& builtin_punctuation_3();  // "！"
const Text& builtin_count();          // "10"

}  // namespace qinghe
