#pragma once
// The form's controls where Qt's own widgets behave otherwise than the window's
// controls should: Windows-style edges, edit boxes that hide their selection while
// unfocused and take any Enter as a line break, check boxes that a click anywhere in
// their rectangle toggles, radio buttons that only a click makes exclusive, and buttons
// that Enter presses.
#include <QAbstractButton>
#include <QCheckBox>
#include <QImage>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextCursor>
#include <QTextEdit>
#include <optional>

#include "app/form/form.h"
#include "app/window/wave_marks.h"

namespace qinghe {

// Single-line edit box of unlimited length with a Windows-style edge instead of the
// style's frame.
class EdgedLineEdit : public QLineEdit {
public:
    EdgedLineEdit(form::Edge edge, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    form::Edge edge_;
    // The selection put aside while the box is unfocused, and the box as it was left.
    struct Hidden {
        int anchor = 0, position = 0;
        QString text;
    };
    std::optional<Hidden> hidden_;
};

// A multi-line box over Qt's plain or rich text widget: Enter with any modifier inserts
// a line break, and text pasted or dropped with Unicode line or paragraph separators gets
// line breaks in their place. While the box has no focus its selection is out of sight;
// it comes back with the focus unless the text or the cursor changed meanwhile. A popup
// (the context menu) does not count as losing the focus.
template <class Edit>
class MultiLineBox : public Edit {
public:
    explicit MultiLineBox(QWidget* parent) : Edit(parent) {}

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void set_cursor_in_place(const QTextCursor& cursor);

    // Cursors follow the edits of their document, so both stay valid while unfocused.
    std::optional<QTextCursor> selection_, collapsed_;
};
extern template class MultiLineBox<QPlainTextEdit>;
extern template class MultiLineBox<QTextEdit>;

// The three list boxes.
using ListEdit = MultiLineBox<QPlainTextEdit>;

// The result box, with the risk check's marks beside its document (see wave_marks.h):
// painted over the text on screen, their tooltips shown on hover, following the writer's
// edits.
class ResultEdit : public MultiLineBox<QTextEdit> {
public:
    explicit ResultEdit(QWidget* parent);

    WaveMarks& marks() { return marks_; }
    const WaveMarks& marks() const { return marks_; }
    // Shows `document` (which the box takes as its child) in place of the current one,
    // with no marks; the marks then added are the new document's.
    void replace_document(QTextDocument* document);

protected:
    void paintEvent(QPaintEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    void follow(QTextDocument* document);
    // The character under a point of the viewport, or -1.
    int character_at(const QPoint& point) const;

    WaveMarks marks_;
    QMetaObject::Connection following_;
};

// A radio button of the form's one group. Setting its state checks or unchecks it
// alone, so stored states load one by one; a click (or Space) checks it and unchecks
// the other radio buttons of its window. The arrow keys move the focus to the next or
// previous radio button of the group in tab order, wrapping, and check none. Screen
// readers are told it is a radio button (see radio_accessible.h).
class GroupRadioButton : public QRadioButton {
public:
    GroupRadioButton(const QString& caption, QWidget* parent);

protected:
    void nextCheckState() override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void focus_neighbour(bool forward);
};

// A check box that a click anywhere in its rectangle toggles, as a Windows check box
// does, not only one on its square or caption. The whole rectangle shows it too: the
// pointer over any of it outlines the square, and the focus frame goes round all of it.
class FormCheckBox : public QCheckBox {
public:
    FormCheckBox(const QString& caption, QWidget* parent) : QCheckBox(caption, parent) {
        setAttribute(Qt::WA_Hover);  // repainted as the pointer comes and goes
    }

protected:
    bool hitButton(const QPoint& position) const override;
    void paintEvent(QPaintEvent* event) override;
};

// Push button that Enter presses as well as Space.
class FormPushButton : public QPushButton {
public:
    FormPushButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent) {}

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

// Flat button with a drawn border and a text colour of its own for the hover state;
// shows an image instead of a caption when given one. Enter presses it, and a dotted
// frame shows that it has the focus.
class PictureButton : public QAbstractButton {
public:
    PictureButton(const QColor& text, const QColor& hover_text, QWidget* parent);
    // `face_2x` gives the face drawn at twice the size, which stands in on screens scaled
    // above 1; it is called only when such a screen first paints the button.
    using FaceSource = QImage (*)();
    void set_face(QImage face, FaceSource face_2x = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QColor text_;
    QColor hover_text_;
    QImage face_;
    FaceSource face_2x_source_ = nullptr;
    QImage face_2x_;
};

}  // namespace qinghe
