#pragma once
// The actions of the writer's word checks: generating with the writer's word lists, the
// dialogs of 热点筛选 and 风险词表, and 检查词组 over the three list boxes.
#include "config/word_lists.h"
#include "controls/window.h"

namespace qinghe {

// The writer's word lists: from the settings folder's files, or, when settings are not
// kept, the lists given since the program started.
LoadedWordLists current_word_lists(const Window& window);

// The generate button: the run with the word lists of the settings folder; each board
// fetch that gives titles is recorded in the writer's history.
void generate_with_word_lists(Window& window);

// 排除词 / 包含词…: edits the hot-topic filter's words; OK saves them.
void edit_topic_filter(Window& window);
// 风险词表…: the built-in risk words to read, the writer's own and allowed words to edit.
void edit_risk_words(Window& window);
// 检查词组: the phrases of the three list boxes that hold a risky word, in a dialog (the
// status line says so when none does).
void check_list_boxes(Window& window);

}  // namespace qinghe
