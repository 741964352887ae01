#pragma once
// Conversion between program text (GB18030 bytes) and Unicode, over ICU.
// Every valid GB18030 string survives a round trip through UTF-16 byte for byte;
// invalid byte sequences turn into replacement characters, never into a crash.
#include <memory>
#include <string>
#include <vector>

#include "text/text.h"

namespace qinghe {

std::u16string decode(TextView text);
// As decode, and for every unit the byte offset in `text` of the character it came
// from, plus text.size() as a last entry; exact also where `text` holds invalid bytes.
std::u16string decode(TextView text, std::vector<size_t>& unit_offsets);
Text encode(std::u16string_view units);

// UTF-8 (source literals, data files) to program text and back.
Text from_utf8(std::string_view utf8);
std::string to_utf8(TextView text);

// Program text as UTF-16LE bytes, with a two-byte NUL terminator unless dropped.
// The empty text gives an empty byte array.
ByteArray to_utf16(TextView text, bool drop_terminator = false);
// UTF-16LE bytes (an odd last byte is ignored) to program text, ending at the first NUL.
Text from_utf16(std::string_view bytes);

// Decoding in a named charset (ICU's alias table). Returns false for a name ICU does
// not know, leaving `out` untouched.
bool decode_charset(std::string_view bytes, const char* charset, std::u16string& out);

// Converts bytes in a named charset to program text piece by piece, so that a long body
// never holds more than one piece in UTF-16 and the caller can do other work between
// pieces. A byte-order mark at the start is dropped.
class CharsetConversion {
public:
    explicit CharsetConversion(const char* charset);
    ~CharsetConversion();
    CharsetConversion(const CharsetConversion&) = delete;
    CharsetConversion& operator=(const CharsetConversion&) = delete;

    // False for a name ICU does not know.
    bool ok() const;
    // Appends the next piece, converted, to `out`. `last` ends the input: a sequence cut
    // off at its end becomes a replacement character.
    void convert(std::string_view piece, bool last, Text& out);

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace qinghe
