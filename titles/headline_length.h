#pragma once
// The length of a headline as a person counts it: one per grapheme cluster, so that an
// emoji, a flag or a letter with its accents is one. Phrases are measured once and their
// lengths added up, which is exact where neither side of a join can merge with the other.
#include <memory>

#include "text/text.h"

namespace qinghe {

struct TextLength {
    int characters = 0;        // grapheme clusters
    int ascii_characters = 0;  // of them, the ones that are one ASCII character
    // Every character is one that never merges with a neighbour (printable ASCII, or a
    // two-byte character of ordinary kind): the length of a join is the sum of the parts.
    bool additive = true;

    // The length a platform counts: with `ascii_counts_half`, an ASCII character is
    // half and the total is rounded up.
    int counted(bool ascii_counts_half) const {
        if (!ascii_counts_half) return characters;
        return characters - ascii_characters + (ascii_characters + 1) / 2;
    }
    TextLength& operator+=(const TextLength& other) {
        characters += other.characters;
        ascii_characters += other.ascii_characters;
        additive = additive && other.additive;
        return *this;
    }
};

// Measures program text. Holds an ICU character break iterator for the texts that need
// one, so one measurer serves a whole run.
class HeadlineMeasure {
public:
    HeadlineMeasure();
    ~HeadlineMeasure();
    HeadlineMeasure(const HeadlineMeasure&) = delete;
    HeadlineMeasure& operator=(const HeadlineMeasure&) = delete;

    TextLength measure(TextView text);

private:
    TextLength measure_clusters(TextView text);

    struct Iterator;
    std::unique_ptr<Iterator> iterator_;
};

}  // namespace qinghe
