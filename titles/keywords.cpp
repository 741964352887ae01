#include "titles/keywords.h"

#include "text/search.h"

namespace qinghe {
namespace {

constexpr TextView kFullWidthUnderscore = "\xA3\xDF";
constexpr TextView kFullWidthSpace = "\xA1\xA1";

// The length in bytes of the underscore at `at` (1 or 2), or 0.
size_t underscore_at(TextView text, size_t at) {
    if (text[at] == '_') return 1;
    return text.substr(at, 2) == kFullWidthUnderscore ? 2 : 0;
}

// Steps character by character, so that only whole characters are removed.
TextView trim_spaces(TextView text) {
    size_t begin = 0, end = 0;
    bool leading = true;
    for (size_t i = 0; i < text.size();) {
        const size_t step = is_lead_byte(text[i]) && i + 1 < text.size() ? 2 : 1;
        const TextView character = text.substr(i, step);
        const bool space = character == " " || character == kFullWidthSpace;
        if (leading && space) begin = i + step;
        if (!space) leading = false, end = i + step;
        i += step;
    }
    return end > begin ? text.substr(begin, end - begin) : TextView();
}

// Fills the blanks onto `out`; with `spans`, adds where each copy of the keyword landed.
void append_with(Text& out, TextView phrase, TextView keyword, std::vector<KeywordSpan>* spans) {
    size_t i = 0;
    while (i < phrase.size()) {
        // A run of underscores, counted in characters.
        size_t end = i, count = 0;
        for (size_t step; end < phrase.size() && (step = underscore_at(phrase, end)) > 0; end += step) ++count;
        if (count >= 2) {
            if (spans && !keyword.empty()) spans->push_back({out.size(), out.size() + keyword.size()});
            out.append(keyword);
        } else if (count == 1) {
            out.append(phrase.substr(i, end - i));
        } else {
            // Not an underscore: the whole character, so that a trail byte is never read
            // as one.
            end = i + (is_lead_byte(phrase[i]) && i + 1 < phrase.size() ? 2 : 1);
            out.append(phrase.substr(i, end - i));
        }
        i = end;
    }
}

}  // namespace

std::vector<Text> split_keywords(TextView text) {
    std::vector<Text> keywords;
    for (const Text& part : split_list(text, "|")) {
        const TextView keyword = trim_spaces(part);
        if (!keyword.empty()) keywords.emplace_back(keyword);
    }
    return keywords;
}

void append_filled(Text& out, TextView phrase, TextView keyword) { append_with(out, phrase, keyword, nullptr); }

Text fill_blanks(TextView phrase, TextView keyword) {
    Text out;
    out.reserve(phrase.size() + keyword.size());
    append_with(out, phrase, keyword, nullptr);
    return out;
}

FilledPhrase fill_and_mark_blanks(TextView phrase, TextView keyword) {
    FilledPhrase filled;
    const TextView trimmed = trim_spaces(keyword);
    filled.text.reserve(phrase.size() + trimmed.size());
    append_with(filled.text, phrase, trimmed, &filled.keywords);
    return filled;
}

}  // namespace qinghe
