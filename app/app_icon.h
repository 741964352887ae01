#pragma once
// The program's pictures for dense screens: the icon in every embedded size, and the
// feedback face at its drawn scales.
#include <QIcon>
#include <QImage>

namespace qinghe {

// The window icon: the icon's PNG sizes, so that every scale gets drawn pixels.
QIcon application_icon();

// The feedback button's face as drawn at twice its size, for screens scaled above 1.
QImage feedback_face_2x();

}  // namespace qinghe
