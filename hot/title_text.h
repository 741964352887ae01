#pragma once
// Text that comes from the ranking sites, made fit for one line: a title for the prefix
// list, a reason for the grey line and standard error.
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "text/text.h"

namespace qinghe {

// A headline is a line, not a page: a longer "title" is skipped.
inline constexpr size_t kMaxTitleBytes = 4096;

// A title from a board's JSON string (well-formed UTF-8) as program text: line and
// paragraph separators (U+2028, U+2029) and control characters (C0 with CR, LF and TAB,
// DEL, C1) each become one space; every other character stays, emoji included. The
// empty text when nothing but spaces (ASCII or ideographic) would be left, or when the
// title is longer than kMaxTitleBytes.
Text one_line_title(std::string_view utf8);

// A heat figure that a board gives as a raw number, written as boards show one: below
// 10,000 the number itself ("8765"), then in 万 with one decimal ("1234.5万"), from 1 亿
// in 亿 ("1.2亿"); a decimal ".0" is left out ("480万"). Empty for a number that rounds to
// 0 or less, is not finite, or lies past 10^16 (no board's heat).
Text heat_figure(double value);

// A reason is one short line: a longer one is cut there, "…" marking the cut.
inline constexpr size_t kMaxReasonCharacters = 100;

// A server's text (a status line, a failure message, a site's own words) without its
// control characters and line or paragraph separators, at most kMaxReasonCharacters
// characters long.
Text clean_reason(TextView text);

// Whether `bytes` is well-formed UTF-8: no overlong forms, surrogates or values past
// U+10FFFF. `pump` runs after every mebibyte.
bool is_utf8(std::string_view bytes, const std::function<void()>& pump = {});

// Program text as UTF-8, converted a mebibyte at a time (never cutting a character) with
// `pump` running in between, so that a long page neither freezes the window nor holds
// more than one piece in UTF-16.
std::string utf8_of_text(TextView text, const std::function<void()>& pump = {});

}  // namespace qinghe
