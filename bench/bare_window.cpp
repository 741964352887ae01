// The baseline of the start-up benchmark: a window with the same 26 widget kinds and
// counts as the program's form, in a program that links Qt alone.
//   bench_bare_window LAUNCHED_NS
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextEdit>

#include "bench/first_frame.h"

int main(int argc, char* argv[]) {
    if (argc != 2) return 2;
    QApplication app(argc, argv);
    QWidget window;
    window.setFixedSize(569, 529);
    int n = 0;
    const auto place = [&n](QWidget* widget) {
        widget->setGeometry(10 + (n % 5) * 100, 10 + (n / 5) * 90, 90, 80);
        ++n;
    };
    for (int i = 0; i < 3; ++i) place(new QPushButton(QStringLiteral("按钮"), &window));  // picture buttons
    place(new QCheckBox(QStringLiteral("植入实时热点"), &window));
    for (int i = 0; i < 4; ++i) place(new QLabel(QStringLiteral("标签"), &window));
    for (int i = 0; i < 7; ++i) place(new QLineEdit(QStringLiteral("行业"), &window));
    for (int i = 0; i < 3; ++i) place(new QPushButton(QStringLiteral("生成标题"), &window));
    for (int i = 0; i < 4; ++i) place(new QRadioButton(&window));
    place(new QTextEdit(&window));
    for (int i = 0; i < 3; ++i) place(new QPlainTextEdit(QStringLiteral("列表\n第二行"), &window));
    bench::FirstFrame first_frame(window, std::atoll(argv[1]));
    window.show();
    return app.exec();
}
