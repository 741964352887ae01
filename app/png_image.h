#pragma once
#include <QImage>
#include <cstddef>

namespace qinghe {

// Decodes a PNG held in memory with libpng; a null image when the data is not a PNG.
QImage decode_png(const unsigned char* data, std::size_t size);

}  // namespace qinghe
