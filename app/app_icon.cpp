#include "app/app_icon.h"

#include <cstddef>

#include "app/png_image.h"

// The embedded icon sizes, as the build lists them.
#define QINGHE_ICON(size)                                   \
    extern const unsigned char qinghe_icon_##size##_png[]; \
    extern const std::size_t qinghe_icon_##size##_png_size;
#include "app/icon_sizes.inc"
#undef QINGHE_ICON
extern const unsigned char qinghe_feedback_2x_png[];
extern const std::size_t qinghe_feedback_2x_png_size;

namespace qinghe {
namespace {

struct EmbeddedPng {
    const unsigned char* data;
    const std::size_t& size;
};

const EmbeddedPng kIconSizes[] = {
#define QINGHE_ICON(size) {qinghe_icon_##size##_png, qinghe_icon_##size##_png_size},
#include "app/icon_sizes.inc"
#undef QINGHE_ICON
};

}  // namespace

QIcon application_icon() {
    QIcon icon;
    // The icon has transparent corners, which the RGB decoder of the feedback face drops.
    for (const EmbeddedPng& png : kIconSizes) {
        icon.addPixmap(QPixmap::fromImage(QImage::fromData(png.data, static_cast<int>(png.size), "PNG")));
    }
    return icon;
}

QImage feedback_face_2x() {
    QImage face = decode_png(qinghe_feedback_2x_png, qinghe_feedback_2x_png_size);
    face.setDevicePixelRatio(2);
    return face;
}

}  // namespace qinghe
