#include "text/codec.h"

#include <unicode/ucnv.h>
#include <unicode/ustring.h>

#include <memory>

namespace qinghe {
namespace {

struct ConverterClose {
    void operator()(UConverter* c) const { ucnv_close(c); }
};
using Converter = std::unique_ptr<UConverter, ConverterClose>;

Converter open_converter(const char* name) {
    UErrorCode status = U_ZERO_ERROR;
    Converter c(ucnv_open(name, &status));
    if (U_FAILURE(status)) c.reset();
    return c;
}

// Opening a converter costs far more than a short conversion, so each thread keeps one.
UConverter* gb18030() {
    thread_local Converter c = open_converter("gb18030");
    ucnv_reset(c.get());
    return c.get();
}

std::u16string to_unicode(UConverter* cnv, std::string_view bytes) {
    std::u16string out;
    if (bytes.empty()) return out;
    // GB18030 and UTF-8 never yield more UTF-16 units than input bytes; a few other
    // charsets map one byte sequence to several code points, so the buffer can grow.
    out.resize(bytes.size() + 16);
    const char* src = bytes.data();
    const char* const end = bytes.data() + bytes.size();
    size_t written = 0;
    for (;;) {
        UChar* dst = out.data() + written;
        UErrorCode status = U_ZERO_ERROR;
        ucnv_toUnicode(cnv, &dst, out.data() + out.size(), &src, end, nullptr, true, &status);
        written = static_cast<size_t>(dst - out.data());
        if (status == U_BUFFER_OVERFLOW_ERROR) {
            out.resize(out.size() * 2);
            continue;
        }
        if (U_FAILURE(status)) written = 0;
        break;
    }
    out.resize(written);
    return out;
}

}  // namespace

std::u16string decode(TextView text) { return to_unicode(gb18030(), text); }

Text encode(std::u16string_view units) {
    Text out;
    if (units.empty()) return out;
    // GB18030 needs at most four bytes for one UTF-16 unit.
    out.resize(units.size() * 4);
    const UChar* src = units.data();
    char* dst = out.data();
    UErrorCode status = U_ZERO_ERROR;
    ucnv_fromUnicode(gb18030(), &dst, out.data() + out.size(), &src, units.data() + units.size(),
                     nullptr, true, &status);
    out.resize(U_SUCCESS(status) ? static_cast<size_t>(dst - out.data()) : 0);
    return out;
}

Text from_utf8(std::string_view utf8) {
    std::u16string units(utf8.size(), u'\0');
    int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strFromUTF8WithSub(units.data(), static_cast<int32_t>(units.size()), &length, utf8.data(),
                         static_cast<int32_t>(utf8.size()), 0xFFFD, nullptr, &status);
    if (U_FAILURE(status)) return {};
    units.resize(static_cast<size_t>(length));
    return encode(units);
}

std::string to_utf8(TextView text) {
    const std::u16string units = decode(text);
    std::string out(units.size() * 3, '\0');
    int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strToUTF8WithSub(out.data(), static_cast<int32_t>(out.size()), &length, units.data(),
                       static_cast<int32_t>(units.size()), 0xFFFD, nullptr, &status);
    if (U_FAILURE(status)) return {};
    out.resize(static_cast<size_t>(length));
    return out;
}

ByteArray to_utf16(TextView text, bool drop_terminator) {
    if (text.empty()) return {};
    const std::u16string units = decode(text);
    ByteArray out;
    out.reserve(units.size() * 2 + 2);
    for (char16_t u : units) {
        out.push_back(static_cast<char>(u & 0xFF));
        out.push_back(static_cast<char>(u >> 8));
    }
    if (!drop_terminator) out.append(2, '\0');
    return out;
}

Text from_utf16(std::string_view bytes) {
    std::u16string units;
    units.reserve(bytes.size() / 2);
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto u = static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                             static_cast<unsigned char>(bytes[i + 1]) << 8);
        if (u == 0) break;
        units.push_back(u);
    }
    return encode(units);
}

bool decode_charset(std::string_view bytes, const char* charset, std::u16string& out) {
    Converter cnv = open_converter(charset);
    if (!cnv) return false;
    out = to_unicode(cnv.get(), bytes);
    return true;
}

}  // namespace qinghe
