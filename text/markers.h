#pragma once
// Text routines built on the shared search: the pieces of a text between, before or
// after markers. Positions are 1-based; searches step over double-byte characters.
#include <functional>
#include <vector>

#include "text/text.h"

namespace qinghe {

// The bytes between the first `left` at or after `start` and the first `right` after
// it; empty when either is missing. "#引号" in a marker stands for a double quote.
Text text_between(TextView source, TextView left, TextView right, int start = 1, bool ignore_case = false);

// The bytes before the first `marker` (case-sensitive); empty when there is none.
Text text_before(TextView source, TextView marker);

// The bytes after the last `marker` (case-sensitive); empty when there is none.
Text text_after_last(TextView source, TextView marker);

// In a header block split at CR LF, the first line that begins with `name` gives
// text_after_last(line, name + ": "); empty when no line does.
Text header_value(TextView block, TextView name);

// The first byte raised to upper case when it is an ASCII letter a-z.
Text capitalize_first(TextView word);

struct ExtractOptions {
    bool ignore_case = false;  // both marker searches ignore the case of letters
    size_t length_limit = 0;   // 0: none; else a piece is kept only when shorter
    Text text_before = {};     // put in front of every piece
    Text text_after = {};      // put behind every piece
    bool keep_start_marker = false;
    bool keep_end_marker = false;
    int start_position = 0;                  // 1-based; 0 or 1 scan from the first byte
    std::function<void()> after_entry = {};  // run after every entry (pending window messages)
};

// Empties `result`, then collects the pieces between each `start_marker` and the next
// `end_marker`. Each search for the next start marker begins right after the previous
// one, not after its end marker. Stops at a start marker with no end marker after it.
// An empty marker finds no pieces. Returns the number of pieces collected.
size_t extract_all_between(TextView source, TextView start_marker, TextView end_marker, std::vector<Text>& result,
                           const ExtractOptions& options = {});

}  // namespace qinghe
