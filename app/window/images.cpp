#include "app/window/images.h"

#include <png.h>

#include "generated/embedded_files.h"

namespace qinghe {

QImage decode_png(std::span<const unsigned char> data) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&png, data.data(), data.size())) return {};
    png.format = PNG_FORMAT_RGB;
    QImage image(static_cast<int>(png.width), static_cast<int>(png.height), QImage::Format_RGB888);
    if (image.isNull() || !png_image_finish_read(&png, nullptr, image.bits(), image.bytesPerLine(), nullptr)) {
        png_image_free(&png);
        return {};
    }
    return image;
}

QIcon application_icon() {
    QIcon icon;
    // The icon has transparent corners, which the RGB decoder of the feedback face drops.
    for (const embedded::IconPng& icon_png : embedded::kIconPngs) {
        const std::span<const unsigned char> png = icon_png.png;
        icon.addPixmap(QPixmap::fromImage(QImage::fromData(png.data(), static_cast<int>(png.size()), "PNG")));
    }
    return icon;
}

QImage feedback_face() { return decode_png(embedded::feedback_png); }

QImage feedback_face_2x() {
    QImage face = decode_png(embedded::feedback_2x_png);
    face.setDevicePixelRatio(2);
    return face;
}

}  // namespace qinghe
