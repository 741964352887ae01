#include "app/widget_window.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

#include "app/qt_text.h"

namespace qinghe {

QColor to_qcolor(Colour colour) { return QColor(colour & 0xFF, colour >> 8 & 0xFF, colour >> 16 & 0xFF); }

void WidgetWindow::add(Text name, ControlKind kind, QWidget* widget) {
    controls_.push_back({std::move(name), kind, widget});
}

const WidgetWindow::Control* WidgetWindow::find(TextView name) const {
    for (const Control& control : controls_) {
        if (control.name == name) return &control;
    }
    return nullptr;
}

template <class W>
W* WidgetWindow::find_as(TextView name, ControlKind kind) const {
    const Control* control = find(name);
    return control && control->kind == kind ? qobject_cast<W*>(control->widget) : nullptr;
}

QWidget* WidgetWindow::widget(TextView name) const {
    const Control* control = find(name);
    return control ? control->widget : nullptr;
}

Text WidgetWindow::content(TextView name) const {
    const Control* control = find(name);
    if (!control) return {};
    if (auto* line = qobject_cast<QLineEdit*>(control->widget)) return from_qstring(line->text());
    // toRawText keeps non-breaking spaces, which toPlainText would turn into spaces.
    if (auto* plain = qobject_cast<QPlainTextEdit*>(control->widget)) {
        return from_document_raw_text(plain->document()->toRawText());
    }
    if (auto* rich = qobject_cast<QTextEdit*>(control->widget)) {
        return from_document_raw_text(rich->document()->toRawText());
    }
    return {};
}

void WidgetWindow::set_content(TextView name, TextView text) {
    const Control* control = find(name);
    if (!control) return;
    if (auto* line = qobject_cast<QLineEdit*>(control->widget)) {
        line->setText(to_qstring(text));
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(control->widget)) {
        plain->setPlainText(to_document_text(text));
    } else if (auto* rich = qobject_cast<QTextEdit*>(control->widget)) {
        rich->setPlainText(to_document_text(text));
    }
}

void WidgetWindow::set_text_colour(TextView name, Colour colour) {
    const Control* control = find(name);
    if (!control || control->kind != ControlKind::EditBox) return;
    QPalette palette = control->widget->palette();
    palette.setColor(QPalette::Text, to_qcolor(colour));
    control->widget->setPalette(palette);
}

bool WidgetWindow::checked(TextView name) const {
    const Control* control = find(name);
    if (!control || (control->kind != ControlKind::CheckBox && control->kind != ControlKind::RadioButton)) {
        return false;
    }
    return static_cast<QAbstractButton*>(control->widget)->isChecked();
}

void WidgetWindow::set_checked(TextView name, bool checked) {
    const Control* control = find(name);
    if (!control || (control->kind != ControlKind::CheckBox && control->kind != ControlKind::RadioButton)) {
        return;
    }
    auto* button = static_cast<QAbstractButton*>(control->widget);
    if (control->kind == ControlKind::RadioButton && !checked) {
        // Qt refuses to uncheck the checked button of an exclusive group; setting radio
        // buttons one by one must be able to leave none checked.
        button->setAutoExclusive(false);
        button->setChecked(false);
        button->setAutoExclusive(true);
        return;
    }
    button->setChecked(checked);
}

void WidgetWindow::set_selection_start(TextView name, int position) {
    auto* rich = find_as<QTextEdit>(name, ControlKind::RichTextBox);
    if (!rich) return;
    QTextCursor cursor = rich->textCursor();
    const int end = rich->document()->characterCount() - 1;
    cursor.setPosition(position < 0 || position > end ? end : position);
    rich->setTextCursor(cursor);
}

void WidgetWindow::set_selection_format(TextView name, const CharFormat& format) {
    auto* rich = find_as<QTextEdit>(name, ControlKind::RichTextBox);
    if (!rich) return;
    QTextCharFormat qt_format;
    qt_format.setFontFamilies({to_qstring(format.face)});
    qt_format.setFontPointSize(format.size_twips / 20.0);
    qt_format.setFontWeight(format.bold ? QFont::Bold : QFont::Normal);
    qt_format.setFontItalic(format.italic);
    qt_format.setFontUnderline(format.underline);
    qt_format.setFontStrikeOut(format.strike_out);
    qt_format.setVerticalAlignment(QTextCharFormat::AlignNormal);
    qt_format.setForeground(to_qcolor(format.colour));
    rich->setCurrentCharFormat(qt_format);
}

void WidgetWindow::replace_selection(TextView name, TextView text) {
    auto* rich = find_as<QTextEdit>(name, ControlKind::RichTextBox);
    if (!rich) return;
    QTextCursor cursor = rich->textCursor();
    cursor.insertText(to_document_text(text));
    rich->setTextCursor(cursor);
}

std::vector<Text> WidgetWindow::names_of_kind(ControlKind kind) const {
    std::vector<Text> names;
    for (const Control& control : controls_) {
        if (control.kind == kind) names.push_back(control.name);
    }
    return names;
}

}  // namespace qinghe
