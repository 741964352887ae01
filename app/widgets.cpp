#include "app/widgets.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QPaintEngine>
#include <QPainter>
#include <limits>
#include <qdrawutil.h>

namespace qinghe {
namespace {

int edge_width(form::Edge edge) {
    switch (edge) {
        case form::Edge::None: return 0;
        case form::Edge::Static: return 1;
        case form::Edge::Client: return 2;
    }
    return 0;
}

// Draws one of the window's edges (thin sunken or sunken 3-D) inside `rect`.
void draw_edge(QPainter& painter, const QRect& rect, const QPalette& palette, form::Edge edge) {
    if (edge == form::Edge::Static) qDrawShadePanel(&painter, rect, palette, true, 1);
    if (edge == form::Edge::Client) qDrawWinPanel(&painter, rect, palette, true);
}

bool is_enter(const QKeyEvent& event) { return event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter; }

// Enter without Shift, Ctrl or Alt, from the main keyboard or the keypad.
bool is_plain_enter(const QKeyEvent& event) {
    return is_enter(event) && (event.modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

// Text as pasted or dropped, with Unicode line and paragraph separators as line breaks:
// the box's content has no other way to hold them apart from its lines.
QString with_plain_line_breaks(QString text) {
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return text;
}

// Enter with any modifier inserts a line break where Qt would insert a line separator
// (Shift) or nothing (Ctrl). True when the key was taken.
template <class Edit>
bool insert_line_break(Edit& edit, const QKeyEvent& event) {
    if (!is_enter(event) || edit.isReadOnly()) return false;
    edit.insertPlainText(QStringLiteral("\n"));
    edit.ensureCursorVisible();
    return true;
}

template <class Edit>
bool insert_plain_text(Edit& edit, const QMimeData* source) {
    if (!source || !source->hasText()) return false;
    edit.insertPlainText(with_plain_line_breaks(source->text()));
    edit.ensureCursorVisible();
    return true;
}

}  // namespace

EdgedLineEdit::EdgedLineEdit(form::Edge edge, QWidget* parent) : QLineEdit(parent), edge_(edge) {
    setFrame(false);
    setMaxLength(std::numeric_limits<int>::max());
    const int width = edge_width(edge) + 1;
    setTextMargins(width, 0, width, 0);
}

void EdgedLineEdit::paintEvent(QPaintEvent* event) {
    QLineEdit::paintEvent(event);
    QPainter painter(this);
    draw_edge(painter, rect(), palette(), edge_);
}

void EdgedLineEdit::focusOutEvent(QFocusEvent* event) {
    hidden_.reset();
    if (event->reason() != Qt::PopupFocusReason && hasSelectedText()) {
        const int start = selectionStart();
        const int end = selectionEnd();
        const int position = cursorPosition();
        hidden_ = Hidden{position == start ? end : start, position, text()};
    }
    QLineEdit::focusOutEvent(event);
    if (hidden_) deselect();
}

void EdgedLineEdit::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    // Tabbing into the box selects all of it, as Qt and the platform both do.
    const Qt::FocusReason reason = event->reason();
    const bool by_keyboard = reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
                             reason == Qt::ShortcutFocusReason;
    if (hidden_ && !by_keyboard && !hasSelectedText() && text() == hidden_->text &&
        cursorPosition() == hidden_->position) {
        setSelection(hidden_->anchor, hidden_->position - hidden_->anchor);
    }
    hidden_.reset();
}

void SelectionHider::focus_out(QTextCursor cursor, QFocusEvent& event,
                               const std::function<void(const QTextCursor&)>& set_cursor) {
    selection_.reset();
    collapsed_.reset();
    if (event.reason() == Qt::PopupFocusReason || !cursor.hasSelection()) return;
    // Cursors follow the edits of their document, so both stay valid while unfocused.
    selection_ = cursor;
    cursor.clearSelection();
    collapsed_ = cursor;
    set_cursor(cursor);
}

void SelectionHider::focus_in(const QTextCursor& current, const std::function<void(const QTextCursor&)>& set_cursor) {
    if (selection_ && collapsed_ && current == *collapsed_ && !current.hasSelection()) set_cursor(*selection_);
    selection_.reset();
    collapsed_.reset();
}

void ListEdit::keyPressEvent(QKeyEvent* event) {
    if (!insert_line_break(*this, *event)) QPlainTextEdit::keyPressEvent(event);
}

void ListEdit::insertFromMimeData(const QMimeData* source) {
    if (!insert_plain_text(*this, source)) QPlainTextEdit::insertFromMimeData(source);
}

void ListEdit::focusOutEvent(QFocusEvent* event) {
    hider_.focus_out(textCursor(), *event, [this](const QTextCursor& cursor) { setTextCursor(cursor); });
    QPlainTextEdit::focusOutEvent(event);
}

void ListEdit::focusInEvent(QFocusEvent* event) {
    QPlainTextEdit::focusInEvent(event);
    hider_.focus_in(textCursor(), [this](const QTextCursor& cursor) { setTextCursor(cursor); });
}

void ResultEdit::keyPressEvent(QKeyEvent* event) {
    if (!insert_line_break(*this, *event)) QTextEdit::keyPressEvent(event);
}

void ResultEdit::insertFromMimeData(const QMimeData* source) {
    if (!insert_plain_text(*this, source)) QTextEdit::insertFromMimeData(source);
}

void ResultEdit::focusOutEvent(QFocusEvent* event) {
    hider_.focus_out(textCursor(), *event, [this](const QTextCursor& cursor) { setTextCursor(cursor); });
    QTextEdit::focusOutEvent(event);
}

void ResultEdit::focusInEvent(QFocusEvent* event) {
    QTextEdit::focusInEvent(event);
    hider_.focus_in(textCursor(), [this](const QTextCursor& cursor) { setTextCursor(cursor); });
}

GroupRadioButton::GroupRadioButton(const QString& caption, QWidget* parent) : QRadioButton(caption, parent) {
    // Qt's own exclusivity would also uncheck the others when a state is set.
    setAutoExclusive(false);
}

void GroupRadioButton::nextCheckState() {
    setChecked(true);
    if (!parentWidget()) return;
    for (auto* other : parentWidget()->findChildren<GroupRadioButton*>(Qt::FindDirectChildrenOnly)) {
        if (other != this) other->setChecked(false);
    }
}

void FormPushButton::keyPressEvent(QKeyEvent* event) {
    if (is_plain_enter(*event)) {
        if (!event->isAutoRepeat()) click();
        return;
    }
    QPushButton::keyPressEvent(event);
}

PictureButton::PictureButton(const QColor& text, const QColor& hover_text, QWidget* parent)
    : QAbstractButton(parent), text_(text), hover_text_(hover_text) {
    setAttribute(Qt::WA_Hover);
    setCursor(Qt::PointingHandCursor);
}

void PictureButton::set_face(QImage face, QImage face_2x) {
    face_ = std::move(face);
    face_2x_ = std::move(face_2x);
    update();
}

void PictureButton::keyPressEvent(QKeyEvent* event) {
    if (is_plain_enter(*event)) {
        if (!event->isAutoRepeat()) click();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

void PictureButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().button());
    if (!face_.isNull()) {
        // At 1.5x the 2x face is scaled down smoothly, which stays sharper than 1x scaled up.
        const bool dense = painter.paintEngine()->paintDevice()->devicePixelRatioF() > 1 && !face_2x_.isNull();
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(rect(), dense ? face_2x_ : face_);
    } else {
        painter.setPen(palette().color(QPalette::Mid));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
        painter.setPen(underMouse() ? hover_text_ : text_);
        painter.setFont(font());
        const QPoint shift = isDown() ? QPoint(1, 1) : QPoint();
        painter.drawText(rect().translated(shift), Qt::AlignCenter, text());
    }
    if (hasFocus()) {
        // A dotted frame that inverts what lies under it, so it shows on the face image
        // as on the plain background.
        painter.setCompositionMode(QPainter::CompositionMode_Difference);
        painter.setPen(QPen(Qt::white, 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect().adjusted(2, 2, -3, -3));
    }
}

}  // namespace qinghe
