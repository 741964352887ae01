#pragma once
// The program's embedded pictures: the application icon in every embedded size, and the
// feedback button's face at its drawn scales.
#include <QIcon>
#include <QImage>
#include <span>

namespace qinghe {

// Decodes a PNG held in memory with libpng, without its alpha channel; a null image when
// the data is not a PNG.
QImage decode_png(std::span<const unsigned char> png);

// The window icon: the icon's PNG sizes, so that every scale gets drawn pixels; each
// size is decoded when first asked for.
QIcon application_icon();

// The feedback button's face, as drawn for a scale of 1 and at twice its size for
// screens scaled above 1.
QImage feedback_face();
QImage feedback_face_2x();

}  // namespace qinghe
