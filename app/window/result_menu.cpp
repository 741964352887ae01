#include "app/window/result_menu.h"

#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMenu>
#include <QSaveFile>
#include <QTextBlock>
#include <QTextEdit>

#include "app/window/qt_convert.h"
#include "app/window/qt_window.h"
#include "controls/names.h"
#include "titles/generator.h"

namespace qinghe {
namespace {

// A line of the result box that is a headline: not empty, and not a grey notice.
bool is_headline(const QTextBlock& block) {
    if (!block.isValid() || block.text().isEmpty()) return false;
    const QTextBlock::iterator first = block.begin();
    return first.atEnd() || first.fragment().charFormat().foreground().color() != to_qcolor(kNoticeColour);
}

// Whether the box holds a headline at all; the first line usually is one.
bool holds_headline(const QTextDocument& document) {
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (is_headline(block)) return true;
    }
    return false;
}

QString choose_with_dialog(QWidget* parent, const QString& suggested) {
    return QFileDialog::getSaveFileName(parent, QStringLiteral("导出全部标题"), suggested,
                                        QStringLiteral("文本文件 (*.txt);;所有文件 (*)"));
}

}  // namespace

ResultMenu::ResultMenu(QTextEdit& box, QtWindow& controls)
        : QObject(&box), box_(box), controls_(controls), choose_path_(choose_with_dialog) {
    box.setContextMenuPolicy(Qt::CustomContextMenu);
    connect(&box, &QWidget::customContextMenuRequested, this, &ResultMenu::show_menu);
}

void ResultMenu::show_menu(const QPoint& position) {
    QMenu* menu = menu_at(position);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(box_.viewport()->mapToGlobal(position));
}

QMenu* ResultMenu::menu_at(const QPoint& position) {
    QMenu* menu = box_.createStandardContextMenu(box_.viewport()->mapToGlobal(position));
    menu->addSeparator();
    QAction* copy =
        menu->addAction(QStringLiteral("复制这一条"), this, [this, position] { copy_headline_at(position); });
    copy->setEnabled(is_headline(box_.cursorForPosition(position).block()));
    QAction* save = menu->addAction(QStringLiteral("导出全部…"), this, &ResultMenu::export_all);
    save->setEnabled(holds_headline(*box_.document()));
    return menu;
}

void ResultMenu::copy_headline_at(const QPoint& position) {
    const QTextBlock block = box_.cursorForPosition(position).block();
    if (!is_headline(block)) return;
    if (QClipboard* clipboard = QGuiApplication::clipboard()) clipboard->setText(block.text());
    show_status_note(controls_, from_qstring(QStringLiteral("已复制：") + block.text()));
}

void ResultMenu::export_all() {
    const QString path = choose_path_(box_.window(), QDir::home().filePath(QStringLiteral("标题.txt")));
    if (path.isEmpty()) return;
    QByteArray bytes;
    int count = 0;
    for (QTextBlock block = box_.document()->begin(); block.isValid(); block = block.next()) {
        if (!is_headline(block)) continue;
        bytes.append(block.text().toUtf8()).append('\n');
        ++count;
    }
    QSaveFile file(path);
    const bool saved = file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
    const QString status = saved ? QStringLiteral("已导出 %1 条到 %2").arg(count).arg(QDir::toNativeSeparators(path))
                                 : QStringLiteral("导出失败：%1").arg(file.errorString());
    show_status_note(controls_, from_qstring(status));
}

}  // namespace qinghe
