#include "app/window/control_kinds.h"

#include <qdrawutil.h>
#include <QAbstractTextDocumentLayout>
#include <QFocusEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QPaintEngine>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionButton>
#include <QStyleOptionFocusRect>
#include <QStylePainter>
#include <QTextBlock>
#include <QTextLayout>
#include <QToolTip>
#include <limits>
#include <utility>

#include "app/window/radio_accessible.h"

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
    const bool by_keyboard =
        reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason || reason == Qt::ShortcutFocusReason;
    if (hidden_ && !by_keyboard && !hasSelectedText() && text() == hidden_->text &&
        cursorPosition() == hidden_->position) {
        setSelection(hidden_->anchor, hidden_->position - hidden_->anchor);
    }
    hidden_.reset();
}

template <class Edit>
void MultiLineBox<Edit>::keyPressEvent(QKeyEvent* event) {
    // Qt would insert a line separator for Shift+Enter, and nothing for Ctrl+Enter.
    if (!is_enter(*event) || this->isReadOnly()) {
        Edit::keyPressEvent(event);
        return;
    }
    this->insertPlainText(QStringLiteral("\n"));
    this->ensureCursorVisible();
}

template <class Edit>
void MultiLineBox<Edit>::insertFromMimeData(const QMimeData* source) {
    if (!source || !source->hasText()) {
        Edit::insertFromMimeData(source);
        return;
    }
    this->insertPlainText(with_plain_line_breaks(source->text()));
    this->ensureCursorVisible();
}

template <class Edit>
void MultiLineBox<Edit>::set_cursor_in_place(const QTextCursor& cursor) {
    // Setting the cursor scrolls to it; hiding or showing a selection must not.
    QScrollBar* bar = this->verticalScrollBar();
    const int scrolled = bar->value();
    this->setTextCursor(cursor);
    bar->setValue(scrolled);
}

template <class Edit>
void MultiLineBox<Edit>::focusOutEvent(QFocusEvent* event) {
    selection_.reset();
    collapsed_.reset();
    QTextCursor cursor = this->textCursor();
    if (event->reason() != Qt::PopupFocusReason && cursor.hasSelection()) {
        selection_ = cursor;
        cursor.clearSelection();
        collapsed_ = cursor;
        set_cursor_in_place(cursor);
    }
    Edit::focusOutEvent(event);
}

template <class Edit>
void MultiLineBox<Edit>::focusInEvent(QFocusEvent* event) {
    Edit::focusInEvent(event);
    if (selection_ && collapsed_ && this->textCursor() == *collapsed_) set_cursor_in_place(*selection_);
    selection_.reset();
    collapsed_.reset();
}

template class MultiLineBox<QPlainTextEdit>;
template class MultiLineBox<QTextEdit>;

ResultEdit::ResultEdit(QWidget* parent) : MultiLineBox<QTextEdit>(parent) { follow(document()); }

void ResultEdit::follow(QTextDocument* document) {
    disconnect(following_);
    following_ = connect(document, &QTextDocument::contentsChange, this, [this](int position, int removed, int added) {
        marks_.follow_edit(position, removed, added);
    });
}

void ResultEdit::replace_document(QTextDocument* document) {
    QTextDocument* current = this->document();
    marks_.clear();
    follow(document);
    // The box deletes its own initial document; one handed over earlier is ours to delete.
    const bool ours = current->parent() == this;
    setDocument(document);
    if (ours) delete current;
}

void ResultEdit::paintEvent(QPaintEvent* event) {
    MultiLineBox<QTextEdit>::paintEvent(event);
    if (marks_.empty()) return;
    // The blocks on screen within the exposed part, laid out by now: the marks in them.
    QPainter painter(viewport());
    const QPoint scrolled(horizontalScrollBar()->value(), verticalScrollBar()->value());
    painter.translate(-scrolled);
    const QRect exposed = event->rect().translated(scrolled);
    const QAbstractTextDocumentLayout* layout = document()->documentLayout();
    for (QTextBlock block = cursorForPosition(event->rect().topLeft()).block(); block.isValid(); block = block.next()) {
        if (!block.layout() || block.layout()->lineCount() == 0) break;  // not laid out yet: not on screen
        const QRectF bounds = layout->blockBoundingRect(block);
        if (bounds.top() > exposed.bottom()) break;
        if (bounds.bottom() >= exposed.top()) marks_.paint(painter, block);
    }
}

int ResultEdit::character_at(const QPoint& point) const {
    const QPoint scrolled(horizontalScrollBar()->value(), verticalScrollBar()->value());
    return document()->documentLayout()->hitTest(point + scrolled, Qt::ExactHit);
}

bool ResultEdit::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::ToolTip && !marks_.empty()) {
        auto* help = static_cast<QHelpEvent*>(event);
        if (const WaveMarks::Mark* mark = marks_.at(character_at(help->pos()))) {
            // Gone once the pointer leaves the marked words (on their line).
            QTextCursor cursor(document());
            cursor.setPosition(mark->begin);
            const QRect first = cursorRect(cursor);
            cursor.setPosition(mark->end);
            const QRect last = cursorRect(cursor);
            const QRect words = first.top() == last.top() ? first.united(last) : QRect();
            QToolTip::showText(help->globalPos(), marks_.tooltip(*mark), viewport(), words);
            return true;
        }
    }
    return MultiLineBox<QTextEdit>::viewportEvent(event);
}

GroupRadioButton::GroupRadioButton(const QString& caption, QWidget* parent) : QRadioButton(parent) {
    // Qt's own exclusivity would also uncheck the others when a state is set.
    setAutoExclusive(false);
    // Setting the caption tells accessibility clients, which fixes the button's interface
    // for good: only now is this a GroupRadioButton that the installed factory knows.
    install_radio_accessibility();
    setText(caption);
}

void GroupRadioButton::nextCheckState() {
    setChecked(true);
    if (!parentWidget()) return;
    for (auto* other : parentWidget()->findChildren<GroupRadioButton*>(Qt::FindDirectChildrenOnly)) {
        if (other != this) other->setChecked(false);
    }
}

void GroupRadioButton::keyPressEvent(QKeyEvent* event) {
    // Without auto-exclusivity Qt would take Left and Right for Shift+Tab and Tab, and
    // ignore Up and Down.
    switch (event->key()) {
        case Qt::Key_Right:
        case Qt::Key_Down: focus_neighbour(true); return;
        case Qt::Key_Left:
        case Qt::Key_Up: focus_neighbour(false); return;
        default: QRadioButton::keyPressEvent(event);
    }
}

void GroupRadioButton::focus_neighbour(bool forward) {
    // The focus chain is the tab order and closes on itself, so the walk wraps.
    const auto step = [forward](QWidget* widget) {
        return forward ? widget->nextInFocusChain() : widget->previousInFocusChain();
    };
    for (QWidget* widget = step(this); widget && widget != this; widget = step(widget)) {
        auto* radio = dynamic_cast<GroupRadioButton*>(widget);
        if (radio && radio->parentWidget() == parentWidget() && radio->isVisible() && radio->isEnabled() &&
            (radio->focusPolicy() & Qt::TabFocus)) {
            radio->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return;
        }
    }
}

bool FormCheckBox::hitButton(const QPoint& position) const { return rect().contains(position); }

void FormCheckBox::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    QStyleOptionFocusRect frame;
    frame.QStyleOption::operator=(option);
    frame.rect = rect();
    frame.backgroundColor = palette().color(backgroundRole());
    // The style would frame the caption alone.
    option.state &= ~QStyle::State_HasFocus;
    painter.drawControl(QStyle::CE_CheckBox, option);
    if (frame.state & QStyle::State_HasFocus) painter.drawPrimitive(QStyle::PE_FrameFocusRect, frame);
    if (underMouse() && isEnabled()) {
        // The style shows no pointer over a check box; Windows outlines the square in the
        // highlight colour while the pointer is anywhere over the control.
        painter.setPen(palette().color(QPalette::Highlight));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, this).adjusted(0, 0, -1, -1));
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

void PictureButton::set_face(QImage face, FaceSource face_2x) {
    face_ = std::move(face);
    face_2x_source_ = face_2x;
    face_2x_ = QImage();
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
        const bool scaled_up = painter.paintEngine()->paintDevice()->devicePixelRatioF() > 1;
        if (scaled_up && face_2x_source_) face_2x_ = std::exchange(face_2x_source_, nullptr)();
        const bool dense = scaled_up && !face_2x_.isNull();
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
