// The baseline of the start-up benchmark: a window with the same widget kinds and counts
// as the program's form (the 26 designed controls and the writer's panel's 19, open as at
// the first start), in a program that links Qt alone.
//   bench_bare_window LAUNCHED_NS
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
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
    window.setFixedSize(765, 529);
    int n = 0;
    const auto place = [&n](QWidget* widget) {
        widget->setGeometry(6 + (n % 8) * 94, 10 + (n / 8) * 84, 88, 78);  // all within the window
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
    // The writer's panel.
    place(new QPushButton(QStringLiteral("«"), &window));
    for (int i = 0; i < 5; ++i) place(new QLabel(QStringLiteral("写作助手"), &window));
    place(new QLineEdit(&window));
    for (const char* entry : {"不限", "百度热搜", "关闭"}) {
        auto* choice = new QComboBox(&window);
        choice->addItem(QString::fromUtf8(entry));
        place(choice);
    }
    place(new QCheckBox(QStringLiteral("不重复"), &window));
    place(new QCheckBox(QStringLiteral("避开灾难伤亡类热点"), &window));
    place(new QCheckBox(QStringLiteral("避开用过的标题"), &window));
    for (int i = 0; i < 2; ++i) place(new QPushButton(QStringLiteral("热点榜…"), &window));
    place(new QLabel(QStringLiteral("标题体检"), &window));
    for (int i = 0; i < 3; ++i) place(new QPushButton(QStringLiteral("风险词表…"), &window));
    bench::FirstFrame first_frame(window, std::atoll(argv[1]));
    window.show();
    return app.exec();
}
