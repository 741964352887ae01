#pragma once
// The form in which two headlines count as the same: spaces, character width and the
// punctuation at the end do not matter, so "…！" and "… !" are one headline.
#include <cstdint>

#include "text/text.h"

namespace qinghe {

// The headline (program text) without its spaces (ASCII blanks, the ideographic space
// and every other Unicode white space), full-width ASCII forms (U+FF01 to U+FF5E) as the
// ASCII they stand for, and without the punctuation at its end: every character of
// Unicode's punctuation categories, and the tilde, that ends the headline once the spaces
// are gone. Punctuation elsewhere stays, and so does letter case.
Text compared_form(TextView headline);

// A 64-bit hash of a compared form (FNV-1a, then mixed). It is stored in the history's
// file: never change it.
std::uint64_t compared_hash(TextView compared);

// compared_hash(compared_form(headline)), without making the compared form.
std::uint64_t headline_hash(TextView headline);

}  // namespace qinghe
