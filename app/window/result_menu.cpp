#include "app/window/result_menu.h"

#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QSaveFile>
#include <QTextBlock>
#include <QTextEdit>

#include "app/window/qt_convert.h"
#include "app/window/qt_window.h"
#include "controls/names.h"
#include "history/history.h"
#include "text/codec.h"
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

// Which of the run's headlines a line is: the headline lines above it, counted.
size_t headline_index(const QTextBlock& line) {
    size_t index = 0;
    for (QTextBlock block = line.document()->begin(); block.isValid() && block != line; block = block.next()) {
        index += is_headline(block);
    }
    return index;
}

QString choose_with_dialog(QWidget* parent, const QString& suggested) {
    return QFileDialog::getSaveFileName(parent, QStringLiteral("导出全部标题"), suggested,
                                        QStringLiteral("文本文件 (*.txt);;所有文件 (*)"));
}

}  // namespace

ResultMenu::ResultMenu(QTextEdit& box, QtWindow& controls, HistoryAccess history)
        : QObject(&box),
          box_(box),
          controls_(controls),
          history_(std::move(history)),
          choose_path_(choose_with_dialog) {
    box.setContextMenuPolicy(Qt::CustomContextMenu);
    connect(&box, &QWidget::customContextMenuRequested, this, &ResultMenu::show_menu);
    box.installEventFilter(this);
}

bool ResultMenu::eventFilter(QObject* watched, QEvent* event) {
    const bool key = event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride;
    if (watched != &box_ || !key) return false;
    const QKeyCombination pressed = static_cast<QKeyEvent*>(event)->keyCombination();
    const bool copy = pressed == QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_C);
    const bool star = pressed == QKeyCombination(Qt::ControlModifier, Qt::Key_D);
    if (!copy && !star) return false;
    // The box takes these keys itself, before any shortcut of the window or the desktop.
    if (event->type() == QEvent::ShortcutOverride) {
        event->accept();
        return true;
    }
    const QTextBlock line = box_.textCursor().block();
    if (copy) {
        copy_headline(line);
    } else {
        star_headline(line);
    }
    return true;
}

void ResultMenu::show_menu(const QPoint& position) {
    QMenu* menu = menu_at(position);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(box_.viewport()->mapToGlobal(position));
}

QMenu* ResultMenu::menu_at(const QPoint& position) {
    QMenu* menu = box_.createStandardContextMenu(box_.viewport()->mapToGlobal(position));
    menu->addSeparator();
    const QTextBlock line = box_.cursorForPosition(position).block();
    const bool headline = is_headline(line);
    QAction* copy =
        menu->addAction(QStringLiteral("复制这一条"), this, [this, position] { copy_headline_at(position); });
    copy->setEnabled(headline);
    const QString star_text = headline && starred(line) ? QStringLiteral("取消收藏") : QStringLiteral("收藏这一条");
    QAction* star = menu->addAction(star_text, this, [this, position] { star_headline_at(position); });
    star->setEnabled(headline);
    QAction* save = menu->addAction(QStringLiteral("导出全部…"), this, &ResultMenu::export_all);
    save->setEnabled(holds_headline(*box_.document()));
    return menu;
}

void ResultMenu::copy_headline_at(const QPoint& position) { copy_headline(box_.cursorForPosition(position).block()); }

void ResultMenu::star_headline_at(const QPoint& position) { star_headline(box_.cursorForPosition(position).block()); }

HeadlineUse ResultMenu::headline_use(const QTextBlock& line) const {
    HeadlineUse use;
    use.text = from_qstring(line.text());
    if (const std::optional<HeadlineOrigin> origin = record_.origin_of_line(headline_index(line), use.text)) {
        use.platform = origin->platform;
        use.keyword = origin->keyword;
        use.board = origin->board;
        use.planted = origin->planted;
    }
    return use;
}

bool ResultMenu::starred(const QTextBlock& line) {
    if (!history_) return false;
    Text notice;
    const HistoryRead<std::optional<HeadlineRow>> row = history_(notice).headline_row(from_qstring(line.text()));
    if (!notice.empty()) show_status_note(controls_, notice);
    return row.value && row.value->starred;
}

void ResultMenu::confirm(const Text& notice, const Text& note) {
    show_status_note(controls_, notice.empty() ? note : Text(notice).append(kCrLf).append(note));
}

// The copy happens whatever the history says; the note confirms it only once the use is
// on disk, else it gives the history's reason.
void ResultMenu::copy_headline(const QTextBlock& line) {
    if (!is_headline(line)) return;
    if (QClipboard* clipboard = QGuiApplication::clipboard()) clipboard->setText(line.text());
    const Text copied = from_qstring(QStringLiteral("已复制：") + line.text());
    if (!history_) return show_status_note(controls_, copied);
    Text notice;
    const HistoryResult result = history_(notice).record_copied(headline_use(line));
    confirm(notice, result.ok() ? copied : result.message);
    if (result.ok()) emit history_changed();
}

// Stars the headline, or unstars it when it is starred already.
void ResultMenu::star_headline(const QTextBlock& line) {
    if (!is_headline(line) || !history_) return;
    Text notice;
    History& history = history_(notice);
    const Text text = from_qstring(line.text());
    const HistoryRead<std::optional<HeadlineRow>> row = history.headline_row(text);
    const bool unstar = row.value && row.value->starred;
    const HistoryResult result =
        unstar ? history.set_starred({row.value->id}, false) : history.record_starred(headline_use(line));
    confirm(notice, result.ok() ? from_utf8(unstar ? "已取消收藏：" : "已收藏：") + text : result.message);
    if (result.ok()) emit history_changed();
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
