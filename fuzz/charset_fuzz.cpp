// Charset detection and conversion on arbitrary response bodies: the text that comes
// out holds no NUL, and a body that declares nothing comes back as it went in.
#include <algorithm>

#include "fuzz/fuzz_input.h"
#include "web/charset.h"

namespace {

// Whether "charset=" stands anywhere in the bytes, in any letter case (loosely: a few
// control bytes also pass for letters, which only makes the check weaker).
bool mentions_charset(std::string_view bytes) {
    constexpr std::string_view word = "charset=";
    return std::search(bytes.begin(), bytes.end(), word.begin(), word.end(),
                       [](char a, char b) { return (a | 0x20) == b; }) != bytes.end();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qinghe;
    const ByteArray bytes(reinterpret_cast<const char*>(data), size);
    const Text raw_text = bytes.substr(0, bytes.find('\0'));
    Text text = raw_text;
    detect_and_convert_charset(text, bytes);
    FUZZ_CHECK(text.find('\0') == Text::npos);
    if (!mentions_charset(raw_text)) FUZZ_CHECK(text == raw_text);
    (void)converter_for_charset(raw_text.substr(0, 64));
    return 0;
}
