#include "hot/title_text.h"

#include <cmath>
#include <string>

#include "text/codec.h"

namespace qinghe {
namespace {

constexpr size_t kPumpBytes = 1u << 20;

bool is_control(char32_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029; }

// The length of the UTF-8 sequence at the start of `bytes`, or 0 when it is not well formed.
size_t sequence_length(std::string_view bytes) {
    const auto byte = [&bytes](size_t i) { return i < bytes.size() ? static_cast<unsigned char>(bytes[i]) : 0u; };
    const unsigned first = byte(0);
    if (first < 0x80) return 1;
    const auto trail = [&byte](size_t i, unsigned low = 0x80, unsigned high = 0xBF) {
        return byte(i) >= low && byte(i) <= high;
    };
    if (first >= 0xC2 && first <= 0xDF) return trail(1) ? 2 : 0;
    if (first >= 0xE0 && first <= 0xEF) {
        // E0 needs A0..BF (no overlong form), ED 80..9F (no surrogate).
        const bool second = first == 0xE0 ? trail(1, 0xA0) : first == 0xED ? trail(1, 0x80, 0x9F) : trail(1);
        return second && trail(2) ? 3 : 0;
    }
    if (first >= 0xF0 && first <= 0xF4) {
        const bool second = first == 0xF0 ? trail(1, 0x90) : first == 0xF4 ? trail(1, 0x80, 0x8F) : trail(1);
        return second && trail(2) && trail(3) ? 4 : 0;
    }
    return 0;
}

bool is_space_only(std::string_view utf8) {
    for (size_t at = 0; at < utf8.size();) {
        if (utf8[at] == ' ') {
            ++at;
        } else if (utf8.substr(at, 3) == "\u3000") {
            at += 3;
        } else {
            return false;
        }
    }
    return true;
}

}  // namespace

Text one_line_title(std::string_view utf8) {
    if (utf8.size() > kMaxTitleBytes) return {};
    std::string line;
    line.reserve(utf8.size());
    for (size_t at = 0; at < utf8.size();) {
        const auto first = static_cast<unsigned char>(utf8[at]);
        // C1 controls are C2 80..C2 9F; the two separators E2 80 A8 and E2 80 A9.
        size_t control = first < 0x20 || first == 0x7F ? 1 : 0;
        if (first == 0xC2 && at + 1 < utf8.size() && static_cast<unsigned char>(utf8[at + 1]) <= 0x9F) control = 2;
        if (utf8.substr(at, 3) == "\u2028" || utf8.substr(at, 3) == "\u2029") control = 3;
        if (control) {
            line += ' ';
            at += control;
        } else {
            line += utf8[at++];
        }
    }
    return is_space_only(line) ? Text() : from_utf8(line);
}

Text heat_figure(double value) {
    if (!(value > 0) || value > 1e16) return {};
    const auto with_tenths = [](long long tenths, const char* unit) {
        std::string figure = std::to_string(tenths / 10);
        if (tenths % 10 != 0) figure += "." + std::to_string(tenths % 10);
        return from_utf8(figure + unit);
    };
    if (value < 9999.5) return value < 0.5 ? Text() : Text(std::to_string(std::llround(value)));
    if (const long long tenths = std::llround(value / 1e3); tenths < 100'000) return with_tenths(tenths, "万");
    return with_tenths(std::llround(value / 1e7), "亿");
}

Text clean_reason(TextView text) {
    std::u16string units = decode(text);
    std::erase_if(units, [](char16_t unit) { return is_control(unit); });
    size_t cut = 0;
    for (size_t characters = 0; cut < units.size() && characters < kMaxReasonCharacters; ++characters) {
        const bool pair = cut + 1 < units.size() && units[cut] >= 0xD800 && units[cut] <= 0xDBFF &&
                          units[cut + 1] >= 0xDC00 && units[cut + 1] <= 0xDFFF;
        cut += pair ? 2 : 1;
    }
    if (cut < units.size()) units.replace(cut, std::u16string::npos, u"\u2026");
    return encode(units);
}

std::string utf8_of_text(TextView text, const std::function<void()>& pump) {
    std::string utf8;
    utf8.reserve(text.size() + text.size() / 2);  // a double-byte character takes three bytes
    for (size_t start = 0, at = 0; at < text.size();) {
        at += character_length(text, at);
        if (at - start >= kPumpBytes || at == text.size()) {
            utf8 += to_utf8(text.substr(start, at - start));
            start = at;
            if (pump) pump();
        }
    }
    return utf8;
}

bool is_utf8(std::string_view bytes, const std::function<void()>& pump) {
    size_t next_pump = kPumpBytes;
    for (size_t at = 0; at < bytes.size();) {
        const size_t length = static_cast<unsigned char>(bytes[at]) < 0x80 ? 1 : sequence_length(bytes.substr(at, 4));
        if (length == 0) return false;
        at += length;
        if (at >= next_pump) {
            next_pump += kPumpBytes;
            if (pump) pump();
        }
    }
    return true;
}

}  // namespace qinghe
