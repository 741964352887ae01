#pragma once
// The writer's topic keyword and the blanks it fills. A blank is a run of two or more
// underscores, ASCII "_" or full-width "＿", in any mix: the built-in link phrases hold
// "____" where the topic goes.
#include <vector>

#include "text/text.h"

namespace qinghe {

// The keywords of the keyword box: "|" between several, each without the ASCII and
// full-width spaces around it; empty ones are dropped.
std::vector<Text> split_keywords(TextView text);

// Every blank of `phrase` replaced by `keyword`; the rest byte for byte.
Text fill_blanks(TextView phrase, TextView keyword);
// The same, appended to `out`.
void append_filled(Text& out, TextView phrase, TextView keyword);

// Where a keyword stands in a text: bytes [begin, end).
struct KeywordSpan {
    size_t begin = 0, end = 0;
    bool operator==(const KeywordSpan&) const = default;
};

struct FilledPhrase {
    Text text;
    std::vector<KeywordSpan> keywords;  // in order
};

// As fill_blanks, with the keyword taken without the ASCII and full-width spaces at its
// ends, and where each copy of it landed.
FilledPhrase fill_and_mark_blanks(TextView phrase, TextView keyword);

}  // namespace qinghe
