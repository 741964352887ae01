#include "text/codec.h"

#include <unicode/ucnv.h>
#include <unicode/ustring.h>

#include <array>
#include <memory>
#include <vector>

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

// Converts `bytes` to UTF-16. With `unit_offsets`, each unit's entry is the offset in
// `bytes` of the character it came from.
std::u16string to_unicode(UConverter* cnv, std::string_view bytes, std::vector<int32_t>* unit_offsets = nullptr) {
    std::u16string out;
    if (bytes.empty()) return out;
    // GB18030 and UTF-8 never yield more UTF-16 units than input bytes; a few other
    // charsets map one byte sequence to several code points, so the buffer can grow.
    out.resize(bytes.size() + 16);
    if (unit_offsets) unit_offsets->resize(out.size());
    const char* src = bytes.data();
    const char* const end = bytes.data() + bytes.size();
    size_t written = 0;
    for (;;) {
        UChar* dst = out.data() + written;
        const auto base = static_cast<int32_t>(src - bytes.data());
        int32_t* offsets = unit_offsets ? unit_offsets->data() + written : nullptr;
        UErrorCode status = U_ZERO_ERROR;
        ucnv_toUnicode(cnv, &dst, out.data() + out.size(), &src, end, offsets, true, &status);
        const auto now_written = static_cast<size_t>(dst - out.data());
        // ICU counts offsets from where this call began; a flushed partial sequence has none.
        for (size_t i = written; unit_offsets && i < now_written; ++i) {
            int32_t& offset = (*unit_offsets)[i];
            offset = offset < 0 ? (i > 0 ? (*unit_offsets)[i - 1] : 0) : offset + base;
        }
        written = now_written;
        if (status == U_BUFFER_OVERFLOW_ERROR) {
            out.resize(out.size() * 2);
            if (unit_offsets) unit_offsets->resize(out.size());
            continue;
        }
        if (U_FAILURE(status)) written = 0;
        break;
    }
    out.resize(written);
    if (unit_offsets) unit_offsets->resize(written);
    return out;
}

// U+FEFF in GB18030.
constexpr std::string_view kByteOrderMark = "\x84\x31\x95\x33";

}  // namespace

std::u16string decode(TextView text) { return to_unicode(gb18030(), text); }

std::u16string decode(TextView text, std::vector<size_t>& unit_offsets) {
    std::vector<int32_t> offsets;
    std::u16string units = to_unicode(gb18030(), text, &offsets);
    unit_offsets.assign(offsets.begin(), offsets.end());
    unit_offsets.push_back(text.size());
    return units;
}

Text encode(std::u16string_view units) {
    Text out;
    if (units.empty()) return out;
    UConverter* cnv = gb18030();
    const auto length = static_cast<int32_t>(units.size());
    // A first pass measures, so that the text holds exactly its bytes and no more.
    UErrorCode status = U_ZERO_ERROR;
    const int32_t needed = ucnv_fromUChars(cnv, nullptr, 0, units.data(), length, &status);
    if (status != U_BUFFER_OVERFLOW_ERROR) return out;
    out.resize(static_cast<size_t>(needed));
    status = U_ZERO_ERROR;
    ucnv_fromUChars(cnv, out.data(), needed, units.data(), length, &status);
    if (U_FAILURE(status)) out.clear();
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
        const auto u =
            static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8);
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

struct CharsetConversion::State {
    Converter source;
    Converter target = open_converter("gb18030");
    std::array<UChar, 4096> pivot{};
    UChar* pivot_source = pivot.data();
    UChar* pivot_target = pivot.data();
    bool reset = true;
    bool before_text = true;
};

CharsetConversion::CharsetConversion(const char* charset) : state_(std::make_unique<State>()) {
    state_->source = open_converter(charset);
}

CharsetConversion::~CharsetConversion() = default;

bool CharsetConversion::ok() const { return state_->source && state_->target; }

void CharsetConversion::convert(std::string_view piece, bool last, Text& out) {
    State& s = *state_;
    const char* src = piece.data();
    const char* const end = piece.data() + piece.size();
    std::array<char, 65536> buffer;
    for (;;) {
        char* dst = buffer.data();
        UErrorCode status = U_ZERO_ERROR;
        ucnv_convertEx(s.target.get(), s.source.get(), &dst, buffer.data() + buffer.size(), &src, end, s.pivot.data(),
                       &s.pivot_source, &s.pivot_target, s.pivot.data() + s.pivot.size(), s.reset, last, &status);
        s.reset = false;
        std::string_view produced(buffer.data(), static_cast<size_t>(dst - buffer.data()));
        // A byte-order mark at the start says how the text is encoded; it is not text.
        if (s.before_text && !produced.empty()) {
            if (produced.substr(0, kByteOrderMark.size()) == kByteOrderMark)
                produced.remove_prefix(kByteOrderMark.size());
            s.before_text = false;
        }
        out.append(produced);
        if (status != U_BUFFER_OVERFLOW_ERROR) break;
    }
}

}  // namespace qinghe
