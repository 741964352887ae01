#include "app/window/qt_window.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextEdit>
#include <unordered_map>

#include "app/window/control_kinds.h"
#include "app/window/qt_convert.h"

namespace qinghe {
namespace {

// Where the byte offsets `offsets` (ascending) of `line` fall in its UTF-16 text, as the
// box holds it. Counted over the characters while they are ASCII (other than a line
// break) or valid two-byte ones, one unit each; otherwise the line is converted as the
// box converts it.
void utf16_offsets(TextView line, std::span<const size_t> offsets, std::span<int> out) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(line.data());
    size_t at = 0;
    int units = 0;
    for (size_t k = 0; k < offsets.size(); ++k) {
        const size_t target = offsets[k];
        bool plain = true;
        while (at < target && plain) {
            const unsigned lead = bytes[at];
            if (lead < 0x80) {
                plain = lead != '\r' && lead != '\n';
                at += 1;
            } else {
                const unsigned trail = at + 1 < line.size() ? bytes[at + 1] : 0;
                plain = lead != 0x80 && lead != 0xFF && trail - 0x40 < 0xBF && trail != 0x7F;
                at += 2;
            }
            ++units;
        }
        if (!plain || at != target) {
            for (; k < offsets.size(); ++k)
                out[k] = static_cast<int>(to_document_text(line.substr(0, offsets[k])).size());
            return;
        }
        out[k] = units;
    }
}

// Inside one edit block: Qt then updates its block bookkeeping once, not per line. The
// lines' marks go to `marks`, by document position, not into the text's formats.
void insert_lines(QTextCursor& cursor, const QTextCharFormat& format, std::span<const ColouredLine> lines,
                  WaveMarks& marks) {
    // Lines share a few colours (the generator's two): one format per colour, not per line.
    std::vector<std::pair<Colour, QTextCharFormat>> formats;
    const auto format_for = [&](Colour colour) -> const QTextCharFormat& {
        for (const auto& [known, coloured] : formats) {
            if (known == colour) return coloured;
        }
        formats.emplace_back(colour, format).second.setForeground(to_qcolor(colour));
        return formats.back().second;
    };
    // Marks share a few tooltips: each is converted once.
    std::unordered_map<const char*, int> tooltips;
    const auto tooltip = [&](TextView text) {
        const auto [at, added] = tooltips.try_emplace(text.data(), 0);
        if (added) at->second = marks.add_tooltip(to_document_text(text));
        return at->second;
    };
    // A line's marks, as byte offsets in it and then as UTF-16 ones.
    std::vector<size_t> offsets;
    std::vector<int> units;
    std::vector<const LineMark*> kept;
    const auto last_end = [](const std::vector<size_t>& taken) { return taken.empty() ? 0 : taken.back(); };
    size_t count = 0;
    for (const ColouredLine& line : lines) count += line.marks.size();
    marks.reserve(count);
    int position = cursor.position();
    cursor.beginEditBlock();
    for (const ColouredLine& line : lines) {
        QString text = to_qstring(line.text);
        if (text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n'))) text = to_document_text(line.text);
        if (!line.marks.empty()) {
            offsets.clear();
            for (const LineMark& mark : line.marks) {
                if (mark.end > line.text.size() || mark.end <= mark.begin || mark.begin < last_end(offsets)) continue;
                offsets.push_back(mark.begin);
                offsets.push_back(mark.end);
                kept.push_back(&mark);
            }
            units.resize(offsets.size());
            utf16_offsets(line.text, offsets, units);
            for (size_t i = 0; i < kept.size(); ++i) {
                const LineMark& mark = *kept[i];
                const QRgb colour = qRgb(mark.colour & 0xFF, mark.colour >> 8 & 0xFF, mark.colour >> 16 & 0xFF);
                marks.add({position + units[2 * i], position + units[2 * i + 1], colour, tooltip(mark.tooltip)});
            }
            kept.clear();
        }
        text.append(QLatin1Char('\n'));
        position += static_cast<int>(text.size());
        cursor.insertText(text, format_for(line.colour));
    }
    cursor.endEditBlock();
}

}  // namespace

void QtWindow::add(Text name, ControlKind kind, QWidget* widget, bool kept_by_kind) {
    controls_.push_back({std::move(name), kind, widget, kept_by_kind});
}

const QtWindow::Control* QtWindow::find(TextView name) const {
    for (const Control& control : controls_) {
        if (control.name == name) return &control;
    }
    return nullptr;
}

template <class W>
W* QtWindow::find_as(TextView name, ControlKind kind) const {
    const Control* control = find(name);
    return control && control->kind == kind ? qobject_cast<W*>(control->widget) : nullptr;
}

QWidget* QtWindow::widget(TextView name) const {
    const Control* control = find(name);
    return control ? control->widget : nullptr;
}

QString QtWindow::widget_text(TextView name) const {
    const Control* control = find(name);
    if (!control) return {};
    if (auto* line = qobject_cast<QLineEdit*>(control->widget)) return line->text();
    // toRawText keeps non-breaking spaces, which toPlainText would turn into spaces.
    QString raw;
    if (auto* plain = qobject_cast<QPlainTextEdit*>(control->widget)) raw = plain->document()->toRawText();
    if (auto* rich = qobject_cast<QTextEdit*>(control->widget)) raw = rich->document()->toRawText();
    return raw.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
}

Text QtWindow::content(TextView name) const {
    const Control* control = find(name);
    if (!control) return {};
    if (auto* line = qobject_cast<QLineEdit*>(control->widget)) return from_qstring(line->text());
    if (auto* label = qobject_cast<QLabel*>(control->widget)) {
        return from_qstring(label->text().replace(QLatin1Char('\n'), QLatin1String("\r\n")));
    }
    if (auto* choice = qobject_cast<QComboBox*>(control->widget)) return from_qstring(choice->currentText());
    if (auto* button = qobject_cast<QAbstractButton*>(control->widget)) return from_qstring(button->text());
    return from_qstring(widget_text(name).replace(QLatin1Char('\n'), QLatin1String("\r\n")));
}

void QtWindow::set_content(TextView name, TextView text) {
    const Control* control = find(name);
    if (!control) return;
    if (auto* line = qobject_cast<QLineEdit*>(control->widget)) {
        line->setText(to_qstring(text));
    } else if (auto* label = qobject_cast<QLabel*>(control->widget)) {
        label->setText(to_document_text(text));
    } else if (auto* choice = qobject_cast<QComboBox*>(control->widget)) {
        const int index = choice->findText(to_qstring(text), Qt::MatchExactly);
        if (index >= 0) choice->setCurrentIndex(index);
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(control->widget)) {
        plain->setPlainText(to_document_text(text));
    } else if (auto* rich = qobject_cast<QTextEdit*>(control->widget)) {
        rich->setPlainText(to_document_text(text));
    } else if (auto* button = qobject_cast<QAbstractButton*>(control->widget)) {
        // A caption that changes is what a screen reader announces, too.
        const QString caption = to_document_text(text);
        if (button->accessibleName() == button->text()) button->setAccessibleName(caption);
        button->setText(caption);
    }
}

void QtWindow::replace_content(TextView name, TextView text) {
    auto* plain = find_as<QPlainTextEdit>(name, ControlKind::EditBox);
    if (!plain) return set_content(name, text);
    const QString content = to_document_text(text);
    if (plain->document()->toRawText().replace(QChar::ParagraphSeparator, QLatin1Char('\n')) == content) return;
    // Everything selected and typed over, in one edit block: one step of the box's undo.
    QTextCursor cursor(plain->document());
    cursor.beginEditBlock();
    cursor.select(QTextCursor::Document);
    cursor.insertText(content);
    cursor.endEditBlock();
    cursor.movePosition(QTextCursor::Start);
    plain->setTextCursor(cursor);
}

void QtWindow::set_cursor_line(TextView name, size_t line) {
    auto* plain = find_as<QPlainTextEdit>(name, ControlKind::EditBox);
    if (!plain) return;
    const int count = plain->document()->blockCount();
    const int number = static_cast<int>(std::min<size_t>(std::max<size_t>(line, 1), static_cast<size_t>(count))) - 1;
    QTextCursor cursor(plain->document()->findBlockByNumber(number));
    plain->setTextCursor(cursor);
    plain->ensureCursorVisible();
    plain->setFocus(Qt::OtherFocusReason);
    plain->window()->activateWindow();
}

void QtWindow::set_read_only(TextView name, bool read_only) {
    const Control* control = find(name);
    if (!control || control->kind != ControlKind::EditBox) return;
    if (auto* line = qobject_cast<QLineEdit*>(control->widget)) line->setReadOnly(read_only);
    if (auto* plain = qobject_cast<QPlainTextEdit*>(control->widget)) {
        plain->setReadOnly(read_only);
        // On the button face, as the controls that are off stand, while its scroll bar and
        // selection still work.
        plain->viewport()->setBackgroundRole(read_only ? QPalette::Window : QPalette::Base);
        plain->viewport()->update();
    }
}

void QtWindow::set_text_colour(TextView name, Colour colour) {
    const Control* control = find(name);
    if (!control || control->kind != ControlKind::EditBox) return;
    QPalette palette = control->widget->palette();
    palette.setColor(QPalette::Text, to_qcolor(colour));
    control->widget->setPalette(palette);
}

QAbstractButton* QtWindow::checkable(TextView name) const {
    const Control* control = find(name);
    if (!control) return nullptr;
    auto* button = qobject_cast<QAbstractButton*>(control->widget);
    return button && button->isCheckable() && control->kind != ControlKind::PictureButton ? button : nullptr;
}

bool QtWindow::checked(TextView name) const {
    const QAbstractButton* button = checkable(name);
    return button && button->isChecked();
}

void QtWindow::set_checked(TextView name, bool checked) {
    // The form's radio buttons are exclusive only when clicked: setting one by one
    // changes that one alone.
    if (QAbstractButton* button = checkable(name)) button->setChecked(checked);
}

void QtWindow::set_selection_start(TextView name, int position) {
    auto* rich = find_as<QTextEdit>(name, ControlKind::RichTextBox);
    if (!rich) return;
    QTextCursor cursor = rich->textCursor();
    const int end = rich->document()->characterCount() - 1;
    cursor.setPosition(position < 0 || position > end ? end : position);
    rich->setTextCursor(cursor);
}

void QtWindow::set_selection_format(TextView name, const CharFormat& format) {
    auto* rich = find_as<QTextEdit>(name, ControlKind::RichTextBox);
    if (!rich) return;
    rich->setCurrentCharFormat(to_qt_format(format));
}

void QtWindow::replace_selection(TextView name, TextView text) {
    auto* rich = find_as<QTextEdit>(name, ControlKind::RichTextBox);
    if (!rich) return;
    QTextCursor cursor = rich->textCursor();
    cursor.insertText(to_document_text(text));
    rich->setTextCursor(cursor);
}

void QtWindow::append_lines(TextView name, const CharFormat& format, std::span<const ColouredLine> lines) {
    auto* rich = find_as<QTextEdit>(name, ControlKind::RichTextBox);
    if (!rich || lines.empty()) return;
    auto* marked = dynamic_cast<ResultEdit*>(rich);
    WaveMarks marks;  // the new lines' marks, kept apart until the lines are in
    QTextDocument* current = rich->document();
    if (!current->isEmpty()) {
        QTextCursor cursor(current);
        cursor.movePosition(QTextCursor::End);
        insert_lines(cursor, to_qt_format(format), lines, marks);
        rich->setTextCursor(cursor);
        if (marked) marked->marks().append(marks);
        return;
    }
    // Into an empty box, the lines go into a new document built away from the widget
    // and handed over once: many times faster than inserting through the widget.
    auto* document = new QTextDocument(rich);
    document->setUndoRedoEnabled(false);
    document->setDefaultFont(current->defaultFont());
    document->setDefaultTextOption(current->defaultTextOption());
    document->setDocumentMargin(current->documentMargin());
    QTextCursor cursor(document);
    insert_lines(cursor, to_qt_format(format), lines, marks);
    document->setUndoRedoEnabled(true);
    if (marked) {
        marked->replace_document(document);
        marked->marks() = std::move(marks);
        return;
    }
    // The widget deletes its own initial document; one handed over earlier is ours.
    const bool ours = current->parent() == rich;
    rich->setDocument(document);
    if (ours) delete current;
}

void QtWindow::set_enabled(TextView name, bool enabled) {
    QWidget* control = widget(name);
    if (!control) return;
    // Qt moves the focus off a control it disables; when the control comes back and the
    // focus is still where Qt put it, the focus returns too (a button pressed with the
    // keyboard keeps it, and a later key does not land on its neighbour).
    // Controls turned off one after another pass the focus along: it goes back to the
    // first of them, not to the one it passed last.
    const bool had_focus = control->hasFocus();
    control->setEnabled(enabled);
    if (!enabled && had_focus) {
        if (refocus_.control && refocus_.moved_to == control) refocus_.moved_to = QApplication::focusWidget();
        else refocus_ = {control, QApplication::focusWidget()};
    } else if (enabled && refocus_.control == control) {
        if (QApplication::focusWidget() == refocus_.moved_to) control->setFocus();
        refocus_ = {};
    }
}

std::vector<Text> QtWindow::names_of_kind(ControlKind kind) const {
    std::vector<Text> names;
    for (const Control& control : controls_) {
        if (control.kind == kind && control.kept_by_kind) names.push_back(control.name);
    }
    return names;
}

void QtWindow::set_busy(bool busy) {
    if (busy) QApplication::setOverrideCursor(Qt::WaitCursor);
    else QApplication::restoreOverrideCursor();
}

void QtWindow::copy_content_to_clipboard(TextView name) {
    if (QClipboard* clipboard = QGuiApplication::clipboard()) clipboard->setText(widget_text(name));
}

void QtWindow::copy_text_to_clipboard(TextView text) {
    if (QClipboard* clipboard = QGuiApplication::clipboard()) clipboard->setText(to_document_text(text));
}

}  // namespace qinghe
