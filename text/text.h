#pragma once
// Program text: a byte string in GB18030 (identical to GBK for every GBK character).
// Byte arrays (UTF-16 buffers, request and response bodies) use the same container
// but may hold NUL bytes.
#include <string>
#include <string_view>

namespace qinghe {

using Text = std::string;
using TextView = std::string_view;
using ByteArray = std::string;

// A byte of 0x80 or above opens a double-byte character; text routines step over
// such a character as one unit. (GB18030's four-byte sequences are two such units.)
constexpr bool is_lead_byte(char c) { return static_cast<unsigned char>(c) >= 0x80; }

inline constexpr TextView kCrLf = "\r\n";

}  // namespace qinghe
