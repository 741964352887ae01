#pragma once
// Text routines built on the shared search: the pieces of a text between, before or
// after markers. Positions are 1-based; searches step over double-byte characters.
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

}  // namespace qinghe
