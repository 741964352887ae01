// Conversions on arbitrary bytes: valid GB18030 survives UTF-16 and back byte for byte;
// anything else comes back as valid text; UTF-8 and UTF-16LE round trips hold.
#include <string>

#include "fuzz/fuzz_input.h"
#include "text/codec.h"

namespace qinghe {
namespace {

// Invalid bytes decode to U+FFFD; a text without it was valid GB18030.
bool holds_replacement(std::u16string_view units) { return units.find(u'\uFFFD') != std::u16string_view::npos; }

void check_gb18030(TextView text) {
    const std::u16string units = decode(text);
    const Text back = encode(units);
    if (!holds_replacement(units)) FUZZ_CHECK(back == text);
    // Whatever came in, what went out is valid and stable.
    FUZZ_CHECK(encode(decode(back)) == back);
    FUZZ_CHECK(from_utf16(to_utf16(back)) == back.substr(0, back.find('\0')));
    FUZZ_CHECK(to_utf16(back, true).size() == decode(back).size() * 2);
}

void check_utf8(std::string_view bytes) {
    const Text text = from_utf8(bytes);
    const std::string utf8 = to_utf8(text);
    FUZZ_CHECK(from_utf8(utf8) == text);
}

void check_named(std::string_view bytes, const std::string& charset) {
    std::u16string out = u"untouched";
    if (!decode_charset(bytes, charset.c_str(), out)) FUZZ_CHECK(out == u"untouched");
}

}  // namespace
}  // namespace qinghe

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qinghe;
    fuzz::Input in(data, size);
    std::string charset = in.text();
    charset = charset.substr(0, charset.find('\0'));
    const std::string bytes = in.rest();
    check_gb18030(bytes);
    check_utf8(bytes);
    check_named(bytes, charset);
    // An odd number of UTF-16LE bytes: the last one is ignored.
    FUZZ_CHECK(from_utf16(bytes) == from_utf16(std::string_view(bytes).substr(0, bytes.size() & ~std::size_t{1})));
    return 0;
}
