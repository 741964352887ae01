// Renders the program's SVG icon to the PNG sizes that are installed and embedded. Run
// by hand after changing the SVG (needs qt6-svg-dev):
//   build/render_icon data/icons/qinghe.svg data/icons
// The build uses the committed PNGs; nothing in it runs this tool.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>

int main(int argc, char* argv[]) {
    if (argc != 3) return 2;
    qputenv("QT_QPA_PLATFORM", "offscreen");  // draws into images only
    QGuiApplication app(argc, argv);
    QSvgRenderer svg(QString::fromLocal8Bit(argv[1]));
    if (!svg.isValid()) return 1;
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        svg.render(&painter);
        painter.end();
        const QString out = QStringLiteral("%1/qinghe-%2.png").arg(QString::fromLocal8Bit(argv[2])).arg(size);
        if (!image.save(out, "PNG", 9)) return 1;
        std::printf("wrote %s\n", qPrintable(out));
    }
    return 0;
}
