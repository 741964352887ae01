#pragma once
// Program texts from UTF-8 literals, for the tests' tables.
#include <initializer_list>
#include <vector>

#include "text/codec.h"

namespace qinghe {

inline std::vector<Text> texts(std::initializer_list<const char*> utf8) {
    std::vector<Text> out;
    for (const char* text : utf8) out.push_back(from_utf8(text));
    return out;
}

}  // namespace qinghe
