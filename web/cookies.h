#pragma once
// Cookies as one text "name=value; name=value", collected from response header lines and
// merged with the caller's.
#include <vector>

#include "text/text.h"

namespace qinghe {

// One response header line: a "Set-Cookie" line appends its first name=value pair and
// "; " to `new_cookies`; a "Location: " line (any letter case) sets `location`.
void collect_response_cookies(TextView line, Text& new_cookies, Text& location);

// The caller's cookies and the collected ones, without spaces: those of `new_cookies`
// first, then those of `old_cookies` it did not set; "=deleted" ones and repeats dropped.
// Both variables are rewritten; `old_cookies` ends holding the result.
Text merge_cookie_lists(Text& old_cookies, Text& new_cookies);

Text cookie_name(TextView item);
bool has_cookie_named(const std::vector<Text>& items, TextView name);
Text remove_duplicate_items(TextView text, TextView separator);

// Spaces here are the ASCII space and the full-width space (0xA1 0xA1).
Text remove_spaces(TextView text);
Text trim_spaces(TextView text);

}  // namespace qinghe
