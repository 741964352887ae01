#pragma once
// JSON from the ranking sites, read within bounds: a hostile page (deeply nested, or
// millions of tiny values) is refused early instead of costing gigabytes, and the
// window's events are processed while a long page is read.
#include <cstddef>
#include <functional>
#include <initializer_list>
#include <nlohmann/json.hpp>
#include <string_view>
#include <vector>

#include "text/text.h"

namespace qinghe {

using Json = nlohmann::json;

// Real boards nest fewer than 10 levels, hold a few thousand values and no string
// longer than a few kilobytes.
inline constexpr size_t kMaxJsonDepth = 64;
inline constexpr size_t kMaxJsonValues = 200'000;       // values and object keys
inline constexpr size_t kMaxJsonTokenBytes = 1u << 20;  // one string, number or literal
// `pump` runs after every this many bytes of input.
inline constexpr size_t kJsonPumpBytes = 1u << 20;

// The JSON document in `utf8`; a discarded value when it is malformed (UTF-8 included),
// nests deeper than kMaxJsonDepth, holds more than kMaxJsonValues or a token longer than
// kMaxJsonTokenBytes, or memory runs out. The bounds are checked by a scan before the
// parse, so that a hostile page costs neither memory nor long stretches without `pump`
// (the parser keeps a token twice while reading it). Never throws.
Json parse_bounded_json(std::string_view utf8, const std::function<void()>& pump = {});

// The value at `keys` (members of nested objects); nullptr when one is missing.
const Json* json_at(const Json& root, std::initializer_list<std::string_view> keys);
// The array at `keys`, or nullptr.
const Json* json_array_at(const Json& root, std::initializer_list<std::string_view> keys);
// Whether an object's member is true: the boolean, a number other than 0, or the string
// "1" or "true" (flags some sites send as text).
bool json_true(const Json& object, std::string_view key);
// The string at `keys` as one clean title (one_line_title); the empty text when it is
// missing, not a string, or blank.
Text json_title(const Json& object, std::initializer_list<std::string_view> keys);

// A heat figure that a board writes as text ("1234 万热度") is kept up to this length.
inline constexpr size_t kMaxHeatBytes = 64;
// The heat figure at `keys`: a number, or a string of digits with at most one ".", as
// heat_figure writes it; other text as the board wrote it, cleaned as one_line_title says,
// when it is at most kMaxHeatBytes long. Empty when missing, blank or of another type.
Text json_heat(const Json& object, std::initializer_list<std::string_view> keys);

}  // namespace qinghe
