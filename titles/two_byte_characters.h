#pragma once
// Tables over every two-byte character of the text's encoding (lead 0x81–0xFE, trail
// 0x40–0xFE), worked out once from ICU's data. Private to the titles room.
#include <cstddef>
#include <functional>

namespace qinghe {

constexpr int kTwoByteLeads = 0xFE - 0x81 + 1;
constexpr int kTwoByteTrails = 0xFE - 0x40 + 1;
constexpr size_t kTwoByteCharacters = static_cast<size_t>(kTwoByteLeads) * kTwoByteTrails;

// A character's place in such a table.
constexpr size_t two_byte_index(unsigned char lead, unsigned char trail) {
    return static_cast<size_t>(lead - 0x81) * kTwoByteTrails + (trail - 0x40);
}

// Calls `visit` with the table place and the UTF-16 unit of every two-byte character that
// decodes to one character of the Basic Multilingual Plane (not U+FFFD, not a surrogate).
void for_each_two_byte_character(const std::function<void(size_t index, char16_t unit)>& visit);

}  // namespace qinghe
