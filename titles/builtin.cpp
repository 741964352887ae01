#include "titles/builtin.h"

#include <cstddef>
#include <string>

#include "text/codec.h"
#include "text/search.h"

extern const unsigned char qinghe_prefix_list[];
extern const std::size_t qinghe_prefix_list_size;
extern const unsigned char qinghe_link_list[];
extern const std::size_t qinghe_link_list_size;
extern const unsigned char qinghe_suffix_list[];
extern const std::size_t qinghe_suffix_list_size;

namespace qinghe {
namespace {

// The data files are UTF-8 with one entry per line; the program's form is GB18030 with
// CR LF between entries and none after the last.
Text list_from_data(const unsigned char* data, std::size_t size) {
    std::string_view utf8(reinterpret_cast<const char*>(data), size);
    while (!utf8.empty() && (utf8.back() == '\n' || utf8.back() == '\r')) utf8.remove_suffix(1);
    const Text text = replace_all(from_utf8(utf8), "\r\n", "\n");
    return replace_all(text, "\n", kCrLf);
}

}  // namespace

const Text& builtin_prefix_list() {
    static const Text list = list_from_data(qinghe_prefix_list, qinghe_prefix_list_size);
    return list;
}

const Text& builtin_link_list() {
    static const Text list = list_from_data(qinghe_link_list, qinghe_link_list_size);
    return list;
}

const Text& builtin_suffix_list() {
    static const Text list = list_from_data(qinghe_suffix_list, qinghe_suffix_list_size);
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
