#include "app/window/images.h"

#include <png.h>

#include <QGuiApplication>
#include <QIconEngine>
#include <QPainter>
#include <iterator>

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

namespace {

// The icon's embedded PNG sizes, each decoded the first time a pixmap of that size is
// asked for, so that an icon nobody has drawn yet costs nothing.
class EmbeddedIconEngine final : public QIconEngine {
public:
    QIconEngine* clone() const override { return new EmbeddedIconEngine(*this); }
    QString key() const override { return QStringLiteral("qinghe-embedded"); }
    bool isNull() override { return false; }

    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
        QList<QSize> sizes;
        if (mode != QIcon::Normal || state != QIcon::Off) return sizes;
        for (const embedded::IconPng& png : embedded::kIconPngs) sizes.append(QSize(png.size, png.size));
        return sizes;
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override {
        const int side = embedded::kIconPngs[best_index(size)].size;
        QSize actual(side, side);
        if (side > size.width() || side > size.height()) actual.scale(size, Qt::KeepAspectRatio);
        return actual;
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        decode(best_index(size));
        // A ratio of 1: `size` already counts device pixels.
        return decoded_.pixmap(size, 1.0, mode, state);
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : qApp->devicePixelRatio();
        painter->drawPixmap(rect, scaledPixmap(rect.size() * ratio, mode, state, ratio));
    }

private:
    // The size Qt's own pixmap icons pick: the smallest at least as large as asked
    // for, else the largest.
    static size_t best_index(const QSize& size) {
        const long long wanted = static_cast<long long>(size.width()) * size.height();
        for (size_t i = 0; i < std::size(embedded::kIconPngs); ++i) {
            const long long side = embedded::kIconPngs[i].size;
            if (side * side >= wanted) return i;
        }
        return std::size(embedded::kIconPngs) - 1;
    }

    void decode(size_t index) {
        if (decoded_sizes_ & (1u << index)) return;
        decoded_sizes_ |= 1u << index;
        // The icon has transparent corners, which the RGB decoder of the feedback face drops.
        const std::span<const unsigned char> png = embedded::kIconPngs[index].png;
        decoded_.addPixmap(QPixmap::fromImage(QImage::fromData(png.data(), static_cast<int>(png.size()), "PNG")));
    }

    QIcon decoded_;
    unsigned decoded_sizes_ = 0;
    static_assert(std::size(embedded::kIconPngs) <= 32);
};

}  // namespace

QIcon application_icon() { return QIcon(new EmbeddedIconEngine); }

QImage feedback_face() { return decode_png(embedded::feedback_png); }

QImage feedback_face_2x() {
    QImage face = decode_png(embedded::feedback_2x_png);
    face.setDevicePixelRatio(2);
    return face;
}

}  // namespace qinghe
