#include "titles/builtin.h"

#include <span>
#include <string>

#include "generated/embedded_files.h"
#include "text/codec.h"
#include "text/search.h"

namespace qinghe {
namespace {

// A data file without the line breaks after its last entry.
std::string_view utf8_of(std::span<const unsigned char> data) {
    std::string_view utf8(reinterpret_cast<const char*>(data.data()), data.size());
    while (!utf8.empty() && (utf8.back() == '\n' || utf8.back() == '\r')) utf8.remove_suffix(1);
    return utf8;
}

// The data files are UTF-8 with one entry per line; the program's form is GB18030 with
// CR LF between entries and none after the last.
Text list_from_data(std::string_view utf8) {
    const Text text = replace_all(from_utf8(utf8), "\r\n", "\n");
    return replace_all(text, "\n", kCrLf);
}

}  // namespace

std::string_view builtin_prefix_list_utf8() { return utf8_of(embedded::prefix_list); }
std::string_view builtin_link_list_utf8() { return utf8_of(embedded::link_list); }
std::string_view builtin_suffix_list_utf8() { return utf8_of(embedded::suffix_list); }

const Text& builtin_prefix_list() {
    static const Text list = list_from_data(builtin_prefix_list_utf8());
    return list;
}

const Text& builtin_link_list() {
    static const Text list = list_from_data(builtin_link_list_utf8());
    return list;
}

const Text& builtin_suffix_list() {
    static const Text list = list_from_data(builtin_suffix_list_utf8());
    return list;
}

const Text& builtin_punctuation_1() {
    static const Text text = from_utf8("，");
    return text;
}

const Text& builtin_punctuation_2() { return builtin_punctuation_1(); }

const Text& builtin_punctuation_3() {
    static const Text text = from_utf8("！");
    return text;
}

const Text& builtin_count() {
    static const Text text = std::to_string(10);
    return text;
}

}  // namespace qinghe
