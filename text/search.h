#pragma once
// The one place where program text is scanned. Positions are 1-based byte positions;
// every scan steps over a double-byte character as one unit, so no match ever starts
// on a character's second byte.
#include <vector>

#include "text/text.h"

namespace qinghe {

// Position of the first `needle` at or after `start` (the scan begins at byte offset
// start - 1, or 0 when that is negative), or -1. With `ignore_case`, ASCII letters
// compare without regard to case. An empty needle gives 1 while any byte remains
// after the start, else -1.
int find_text(TextView source, TextView needle, int start = 1, bool ignore_case = false);

// Byte offset form of find_text: the offset of the first match at or after `from`,
// or npos. The building block for the routines below.
size_t find_offset(TextView source, TextView needle, size_t from = 0, bool ignore_case = false);

// Splits a list at `separator`. Each separator closes an entry (which may be empty);
// what follows the last separator is an entry only when not empty. The empty text has
// no entries. Entries are not trimmed. An empty separator gives the whole text as one entry.
std::vector<Text> split_list(TextView text, TextView separator);

// Equality with ASCII letters compared without regard to case; the second byte of a
// double-byte character always compares exactly.
bool equal_ignoring_case(TextView a, TextView b);

// The text without ASCII spaces and tabs at either end.
TextView trim_blanks(TextView text);

// Replaces every non-overlapping `from`, scanning left to right byte for byte
// (case-sensitive). An empty `from` leaves the text unchanged.
Text replace_all(TextView text, TextView from, TextView to);

}  // namespace qinghe
