#include "app/png_image.h"

#include <png.h>

namespace qinghe {

QImage decode_png(const unsigned char* data, std::size_t size) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&png, data, size)) return {};
    png.format = PNG_FORMAT_RGB;
    QImage image(static_cast<int>(png.width), static_cast<int>(png.height), QImage::Format_RGB888);
    if (image.isNull() || !png_image_finish_read(&png, nullptr, image.bits(), image.bytesPerLine(), nullptr)) {
        png_image_free(&png);
        return {};
    }
    return image;
}

}  // namespace qinghe
