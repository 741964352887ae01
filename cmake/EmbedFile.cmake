# Script mode: writes OUTPUT, a C++ source holding the bytes of INPUT as qinghe::embedded::NAME.
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" hex_length)
math(EXPR size "${hex_length} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x..,){16})" "\\1\n" bytes "${bytes}")
file(WRITE "${OUTPUT}"
  "// Generated from ${INPUT}; do not edit.\n#include <span>\n\n"
  "namespace {\nconst unsigned char bytes[] = {\n${bytes}0x00};\n}  // namespace\n\n"
  "namespace qinghe::embedded {\n"
  "extern constinit const std::span<const unsigned char> ${NAME}{bytes, ${size}};\n"
  "}  // namespace qinghe::embedded\n")
