#include "titles/builtin.h"

#include <span>
#include <string>

#include "generated/embedded_files.h"
#include "text/codec.h"
#include "text/search.h"

namespace qinghe {
namespace {

// The data files are UTF-8 with one entry per line; the program's form is GB18030 with
// CR LF between entries and none after the last.
Text list_from_data(std::span<const unsigned char> data) {
    std::string_view utf8(reinterpret_cast<const char*>(data.data()), data.size());
    while (!utf8.empty() && (utf8.back() == '\n' || utf8.back() == '\r')) utf8.remove_suffix(1);
    const Text text = replace_all(from_utf8(utf8), "\r\n", "\n");
    return replace_all(text, "\n", kCrLf);
}

}  // namespace

const Text& builtin_prefix_list() {
    static const Text list = list_from_data(embedded::prefix_list);
    return list;
}

const Text& builtin_link_list() {
    static const Text list = list_from_data(embedded::link_list);
    return list;
}

const Text& builtin_suffix_list() {
    static const Text list = list_from_data(embedded::suffix_list);
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
