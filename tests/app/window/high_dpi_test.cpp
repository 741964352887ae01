// On screens scaled above 1 the feedback face and the icon come from pixels drawn at 2x,
// and text is smoothed; at 1x text is drawn from the font's own pixels.
#include <gtest/gtest.h>

#include <QImage>
#include <QWidget>
#include <set>

#include "app/window/form_builder.h"
#include "app/window/images.h"
#include "app/window/window_widget.h"
#include "controls/names.h"
#include "generated/embedded_files.h"
#include "text/codec.h"

namespace qinghe {
namespace {

// The feedback button as a screen of the given scale shows it.
QImage render_feedback_button(qreal scale) {
    WindowWidget window;
    QWidget* button = window.controls().widget(from_utf8("超级按钮3"));
    QImage image(button->size() * scale, QImage::Format_RGB32);
    image.setDevicePixelRatio(scale);
    button->render(&image);
    return image;
}

bool same_pixels(const QImage& a, const QImage& b) {
    return a.size() == b.size() && a.convertToFormat(QImage::Format_RGB32).convertToFormat(QImage::Format_RGB888) ==
                                       b.convertToFormat(QImage::Format_RGB888);
}

TEST(HighDpi, FeedbackFaceIsDrawnFromItsOwnPixelsAt1xAnd2x) {
    EXPECT_TRUE(same_pixels(render_feedback_button(1), feedback_face()));
    QImage face_2x = feedback_face_2x();
    face_2x.setDevicePixelRatio(1);
    EXPECT_TRUE(same_pixels(render_feedback_button(2), face_2x));
}

TEST(HighDpi, FeedbackFaceAt1_5xIsNotAnUpscaled1x) {
    const QImage at_1_5 = render_feedback_button(1.5);
    QImage from_1x = feedback_face().scaled(at_1_5.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    EXPECT_FALSE(same_pixels(at_1_5, from_1x));
}

// Where the font carries glyphs drawn for the size the screen shows (AR PL UMing, 宋体's
// stand-in, has them from 11 to 16 pixels), text is drawn from them, as Windows draws
// 宋体: every pixel is the text's colour or the ground's. Elsewhere the outlines are
// smoothed.
TEST(HighDpi, TextIsDrawnFromTheFontsOwnPixelsWhereItHasThem) {
    for (const auto& [scale, drawn] : {std::pair{1.0, true}, {1.25, true}, {1.5, false}, {2.0, false}}) {
        WindowWidget window;
        fit_font_to_scale(window, scale);
        QWidget* heading = window.controls().widget(from_utf8(name::utf8::prefix_heading));
        QImage image((QSizeF(heading->size()) * scale).toSize(), QImage::Format_RGB32);
        image.setDevicePixelRatio(scale);
        heading->render(&image);
        std::set<QRgb> colours;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) colours.insert(image.pixel(x, y));
        }
        if (drawn) {
            EXPECT_EQ(colours.size(), 2u) << "the text and the ground at " << scale;
            EXPECT_TRUE(colours.contains(qRgb(0, 0, 0))) << scale;
        } else {
            EXPECT_GT(colours.size(), 2u) << "smoothed at " << scale;
        }
    }
}

TEST(HighDpi, IconHasDrawnPixelsForEveryScale) {
    const QIcon icon = application_icon();
    for (const int size : {16, 24, 32, 48, 64, 128}) {
        EXPECT_EQ(icon.pixmap(QSize(size, size), 2.0).size(), QSize(size, size) * 2) << size;
    }
    EXPECT_TRUE(icon.pixmap(QSize(32, 32)).hasAlphaChannel()) << "transparent corners";
    // X11 hands the window manager every size the icon lists.
    EXPECT_EQ(static_cast<size_t>(icon.availableSizes().size()), std::size(embedded::kIconPngs));
}

}  // namespace
}  // namespace qinghe
