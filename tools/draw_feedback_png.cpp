// Draws the 77 x 22 face of the feedback button (8-bit RGB PNG), or the same face at a
// whole-number scale for high-density screens. Run once by hand:
//   build/draw_feedback_png app/window/images/feedback.png
//   build/draw_feedback_png app/window/images/feedback@2x.png 2
// The program embeds the committed file; nothing in the build runs this tool.
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cstdlib>

int main(int argc, char* argv[]) {
    if (argc != 2 && argc != 3) return 2;
    const int scale = argc == 3 ? std::atoi(argv[2]) : 1;
    if (scale < 1) return 2;
    qputenv("QT_QPA_PLATFORM", "offscreen");  // draws into an image only
    QGuiApplication app(argc, argv);
    QImage image(77 * scale, 22 * scale, QImage::Format_RGB888);
    image.fill(QColor(239, 239, 239));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(scale, scale);

    QLinearGradient fill(0, 0, 0, 22);
    fill.setColorAt(0, QColor(255, 153, 51));
    fill.setColorAt(1, QColor(230, 92, 0));
    QPainterPath body;
    body.addRoundedRect(QRectF(0.5, 0.5, 76, 21), 4, 4);
    painter.fillPath(body, fill);
    painter.setPen(QColor(191, 72, 0));
    painter.drawPath(body);

    // A speech bubble on the left.
    QPainterPath bubble;
    bubble.addRoundedRect(QRectF(5, 5, 13, 9), 3, 3);
    bubble.moveTo(8, 13);
    bubble.lineTo(7, 17);
    bubble.lineTo(12, 13.5);
    painter.fillPath(bubble, Qt::white);
    painter.setPen(QColor(230, 92, 0));
    for (int x : {8, 11, 14}) painter.drawPoint(x, 9);

    QFont font(QStringLiteral("AR PL UMing CN"));
    font.setPixelSize(12);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRect(21, 0, 54, 22), Qt::AlignCenter, QStringLiteral("反馈问题"));
    painter.end();
    return image.save(QString::fromLocal8Bit(argv[1]), "PNG") ? 0 : 1;
}
