#include "titles/headline_length.h"

#include <unicode/ubrk.h>
#include <unicode/uchar.h>

#include <bitset>
#include <string>
#include <vector>

#include "text/codec.h"
#include "titles/two_byte_characters.h"

namespace qinghe {
namespace {

using TwoByteSet = std::bitset<kTwoByteCharacters>;

// The two-byte characters that stand alone: each is one cluster and never joins its
// neighbours (grapheme break property "Other"). Worked out once, from ICU's data.
const TwoByteSet& standalone_two_byte() {
    static const TwoByteSet set = [] {
        TwoByteSet standalone;
        for_each_two_byte_character([&standalone](size_t index, char16_t unit) {
            if (u_getIntPropertyValue(unit, UCHAR_GRAPHEME_CLUSTER_BREAK) == U_GCB_OTHER) standalone.set(index);
        });
        return standalone;
    }();
    return set;
}

bool printable_ascii(unsigned char c) { return c >= 0x20 && c < 0x7F; }

}  // namespace

struct HeadlineMeasure::Iterator {
    UBreakIterator* breaks = nullptr;
    ~Iterator() {
        if (breaks) ubrk_close(breaks);
    }
};

HeadlineMeasure::HeadlineMeasure() : iterator_(std::make_unique<Iterator>()) {}
HeadlineMeasure::~HeadlineMeasure() = default;

TextLength HeadlineMeasure::measure(TextView text) {
    const TwoByteSet& standalone = standalone_two_byte();
    TextLength length;
    for (size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (printable_ascii(c)) {
            ++length.characters;
            ++length.ascii_characters;
            ++i;
            continue;
        }
        if (c < 0x81 || c == 0xFF || i + 1 == text.size()) return measure_clusters(text);
        const auto trail = static_cast<unsigned char>(text[i + 1]);
        if (trail < 0x40 || trail == 0x7F || trail == 0xFF || !standalone.test(two_byte_index(c, trail))) {
            return measure_clusters(text);
        }
        ++length.characters;
        i += 2;
    }
    return length;
}

TextLength HeadlineMeasure::measure_clusters(TextView text) {
    const std::u16string units = decode(text);
    TextLength length{.additive = false};
    UErrorCode status = U_ZERO_ERROR;
    const auto* data = reinterpret_cast<const UChar*>(units.data());
    const auto size = static_cast<int32_t>(units.size());
    if (!iterator_->breaks) {
        iterator_->breaks = ubrk_open(UBRK_CHARACTER, "", data, size, &status);
    } else {
        ubrk_setText(iterator_->breaks, data, size, &status);
    }
    if (U_FAILURE(status) || !iterator_->breaks) {
        // Without ICU's break data, count code points.
        for (char16_t unit : units) length.characters += (unit & 0xFC00) != 0xDC00;
        return length;
    }
    int32_t start = ubrk_first(iterator_->breaks);
    for (int32_t end = ubrk_next(iterator_->breaks); end != UBRK_DONE; end = ubrk_next(iterator_->breaks)) {
        ++length.characters;
        if (end - start == 1 && units[static_cast<size_t>(start)] < 0x80) ++length.ascii_characters;
        start = end;
    }
    return length;
}

}  // namespace qinghe
