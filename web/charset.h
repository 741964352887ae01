#pragma once
#include <functional>
#include <string>

#include "text/text.h"

namespace qinghe {

// When the first 1024 bytes of the body text declare a charset in a meta tag, and it is
// neither "gbk" nor "gb2312" (exactly), the body bytes are decoded in that charset and
// become the body text. A name the converter does not know leaves the text as it is.
void detect_and_convert_charset(Text& body_text, const ByteArray& body_bytes);

// Long bodies are converted and copied in pieces of this size, with the window's
// message hook running between them.
inline constexpr size_t kBodyPieceBytes = 1u << 20;

// The two halves of that, for a caller that must keep the window alive meanwhile.
// The converter for the charset that the start of the body text declares, or the empty
// text when the body stays as it is.
std::string declared_converter(TextView body_text);
// The body bytes decoded with `converter`, up to the first NUL they decode to; a
// byte-order mark is no text. `between_pieces` runs after every piece of about 1 MiB.
// False, and `text` untouched, for a converter ICU does not know.
bool convert_body(TextView body_bytes, const std::string& converter, Text& text,
                  const std::function<void()>& between_pieces = {});

// The converter name for a charset label. Pages that say gb2312 routinely use GBK's
// extra characters, so every GB label decodes as GB18030; a page read as bytes cannot
// really be UTF-16, so those labels decode as UTF-8, as browsers do.
std::string converter_for_charset(TextView label);

}  // namespace qinghe
