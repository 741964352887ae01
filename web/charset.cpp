#include "web/charset.h"

#include <algorithm>
#include <array>

#include "text/codec.h"
#include "text/regex_object.h"

namespace qinghe {

std::string converter_for_charset(TextView label) {
    std::string name(label);
    std::transform(name.begin(), name.end(), name.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
    static constexpr std::array kGbLabels{"gb2312",   "gbk",       "x-gbk", "gb_2312-80",  "gb_2312", "chinese",
                                          "csgb2312", "iso-ir-58", "cp936", "windows-936", "ms936",   "gb18030"};
    if (std::find(kGbLabels.begin(), kGbLabels.end(), name) != kGbLabels.end()) return "gb18030";
    if (name.rfind("utf-16", 0) == 0 || name == "unicode" || name == "unicodefffe" || name == "ucs-2") return "utf-8";
    return name;
}

std::string declared_converter(TextView body_text) {
    RegexObject regex;
    if (!regex.create_and_execute("<meta.+?charset=[^\\w]?([-\\w]+)", body_text.substr(0, 1024))) return {};
    const Text name = regex.submatch_text(1, 1);
    if (name.empty() || name == "gbk" || name == "gb2312") return {};
    return converter_for_charset(name);
}

bool convert_body(TextView body_bytes, const std::string& converter, Text& text,
                  const std::function<void()>& between_pieces) {
    CharsetConversion conversion(converter.c_str());
    if (!conversion.ok()) return false;
    Text out;
    out.reserve(body_bytes.size());
    for (size_t at = 0; at < body_bytes.size() || at == 0; at += kBodyPieceBytes) {
        const size_t before = out.size();
        conversion.convert(body_bytes.substr(at, kBodyPieceBytes), at + kBodyPieceBytes >= body_bytes.size(), out);
        // Program text holds no NUL; a decoded NUL ends it, as it ends the raw body text.
        if (const size_t nul = out.find('\0', before); nul != Text::npos) {
            out.resize(nul);
            break;
        }
        if (between_pieces) between_pieces();
    }
    text = std::move(out);
    return true;
}

void detect_and_convert_charset(Text& body_text, const ByteArray& body_bytes) {
    const std::string converter = declared_converter(body_text);
    if (!converter.empty()) convert_body(body_bytes, converter, body_text);
}

}  // namespace qinghe
