#include "app/app_icon.h"

#include <cstddef>

#include "app/png_image.h"

#define QINGHE_ICON_SIZE(size)                                \
    extern const unsigned char qinghe_icon_##size##_png[]; \
    extern const std::size_t qinghe_icon_##size##_png_size;
QINGHE_ICON_SIZE(16)
QINGHE_ICON_SIZE(22)
QINGHE_ICON_SIZE(24)
QINGHE_ICON_SIZE(32)
QINGHE_ICON_SIZE(48)
QINGHE_ICON_SIZE(64)
QINGHE_ICON_SIZE(128)
QINGHE_ICON_SIZE(256)
#undef QINGHE_ICON_SIZE
extern const unsigned char qinghe_feedback_2x_png[];
extern const std::size_t qinghe_feedback_2x_png_size;

namespace qinghe {
namespace {

struct EmbeddedPng {
    const unsigned char* data;
    const std::size_t& size;
};

const EmbeddedPng kIconSizes[] = {
    {qinghe_icon_16_png, qinghe_icon_16_png_size},   {qinghe_icon_22_png, qinghe_icon_22_png_size},
    {qinghe_icon_24_png, qinghe_icon_24_png_size},   {qinghe_icon_32_png, qinghe_icon_32_png_size},
    {qinghe_icon_48_png, qinghe_icon_48_png_size},   {qinghe_icon_64_png, qinghe_icon_64_png_size},
    {qinghe_icon_128_png, qinghe_icon_128_png_size}, {qinghe_icon_256_png, qinghe_icon_256_png_size},
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
