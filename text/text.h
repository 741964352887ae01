#pragma once
// Program text: a byte string in GB18030 (identical to GBK for every GBK character).
// Byte arrays (UTF-16 buffers, request and response bodies) use the same container
// but may hold NUL bytes.
#include <cstddef>
#include <string>
#include <string_view>

namespace qinghe {

using Text = std::string;
using TextView = std::string_view;
using ByteArray = std::string;

// A byte of 0x80 or above opens a double-byte character; text routines step over
// such a character as one unit. (GB18030's four-byte sequences are two such units.)
constexpr bool is_lead_byte(char c) { return static_cast<unsigned char>(c) >= 0x80; }

// The length in bytes of the whole character at `at`, for routines that must not split a
// four-byte one: 1 for a single byte, 4 for a lead byte followed by a digit (a GB18030
// four-byte sequence), else 2; never past the end of `text`.
constexpr size_t character_length(TextView text, size_t at) {
    if (!is_lead_byte(text[at])) return 1;
    const bool four = at + 1 < text.size() && text[at + 1] >= '0' && text[at + 1] <= '9';
    const size_t length = four ? 4 : 2;
    return length < text.size() - at ? length : text.size() - at;
}

inline constexpr TextView kCrLf = "\r\n";

}  // namespace qinghe
