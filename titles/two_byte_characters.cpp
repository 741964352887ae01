#include "titles/two_byte_characters.h"

#include <unicode/utf16.h>

#include <string>
#include <vector>

#include "text/codec.h"

namespace qinghe {

void for_each_two_byte_character(const std::function<void(size_t index, char16_t unit)>& visit) {
    Text all;
    all.reserve(2 * kTwoByteCharacters);
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            all.push_back(static_cast<char>(lead));
            all.push_back(static_cast<char>(trail));
        }
    }
    std::vector<size_t> offsets;
    const std::u16string units = decode(all, offsets);
    for (size_t u = 0; u < units.size(); ++u) {
        const size_t at = offsets[u];
        const bool one_unit = at % 2 == 0 && offsets[u + 1] == at + 2;
        if (one_unit && units[u] != 0xFFFD && !U16_IS_SURROGATE(units[u])) visit(at / 2, units[u]);
    }
}

}  // namespace qinghe
