#pragma once
// Where a headline is to be published, and the title lengths each platform accepts.
#include <span>

#include "text/text.h"

namespace qinghe {

struct Platform {
    const char* name;  // UTF-8, as the platform choice offers it
    int min_length = 0;
    int max_length = 0;  // 0: no limit
    // Counted the app's way: an ASCII character is half, any other character one,
    // rounded up. Otherwise every character (as a person counts them) is one.
    bool ascii_counts_half = false;

    bool limited() const { return max_length > 0; }
};

// The platforms in the order the choice offers them; the first, "不限", has no limit.
std::span<const Platform> platforms();

// The platform of that name (program text), or nullptr.
const Platform* find_platform(TextView name);

}  // namespace qinghe
