#include "titles/headline_length.h"

#include <unicode/ubrk.h>
#include <unicode/uchar.h>

#include <bitset>
#include <string>
#include <vector>

#include "text/codec.h"

namespace qinghe {
namespace {

constexpr int kLeads = 0xFE - 0x81 + 1;
constexpr int kTrails = 0xFE - 0x40 + 1;
using TwoByteSet = std::bitset<kLeads * kTrails>;

int two_byte_index(unsigned char lead, unsigned char trail) { return (lead - 0x81) * kTrails + (trail - 0x40); }

// The two-byte characters that stand alone: each is one cluster and never joins its
// neighbours (grapheme break property "Other"). Worked out once, from ICU's data.
const TwoByteSet& standalone_two_byte() {
    static const TwoByteSet set = [] {
        Text all;
        for (int lead = 0x81; lead <= 0xFE; ++lead) {
            for (int trail = 0x40; trail <= 0xFE; ++trail) {
                all.push_back(static_cast<char>(lead));
                all.push_back(static_cast<char>(trail));
            }
        }
        std::vector<size_t> offsets;
        const std::u16string units = decode(all, offsets);
        TwoByteSet standalone;
        for (size_t u = 0; u < units.size(); ++u) {
            const size_t at = offsets[u];
            const bool one_unit = at % 2 == 0 && offsets[u + 1] == at + 2;
            if (!one_unit || units[u] == 0xFFFD) continue;
            if (u_getIntPropertyValue(units[u], UCHAR_GRAPHEME_CLUSTER_BREAK) != U_GCB_OTHER) continue;
            standalone.set(at / 2);
        }
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
