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
    static constexpr std::array kGbLabels{"gb2312",  "gbk",         "x-gbk",  "gb_2312-80", "gb_2312", "chinese",
                                          "csgb2312", "iso-ir-58", "cp936", "windows-936", "ms936", "gb18030"};
    if (std::find(kGbLabels.begin(), kGbLabels.end(), name) != kGbLabels.end()) return "gb18030";
    if (name.rfind("utf-16", 0) == 0 || name == "unicode" || name == "unicodefffe" || name == "ucs-2") return "utf-8";
    return name;
}

void detect_and_convert_charset(Text& body_text, const ByteArray& body_bytes) {
    RegexObject regex;
    if (!regex.create_and_execute("<meta.+?charset=[^\\w]?([-\\w]+)", TextView(body_text).substr(0, 1024))) return;
    const Text name = regex.submatch_text(1, 1);
    if (name.empty() || name == "gbk" || name == "gb2312") return;
    std::u16string units;
    if (!decode_charset(body_bytes, converter_for_charset(name).c_str(), units)) return;
    // Program text holds no NUL; a decoded NUL ends it, as it ends the raw body text.
    units.resize(std::min(units.size(), units.find(u'\0')));
    body_text = encode(units);
}

}  // namespace qinghe
