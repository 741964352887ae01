#pragma once
// The control kinds that Qt has no ready widget for.
#include <QAbstractButton>
#include <QImage>
#include <QLineEdit>

#include "app/form.h"

namespace qinghe {

// Single-line edit box with a Windows-style edge instead of the style's frame.
class EdgedLineEdit : public QLineEdit {
public:
    EdgedLineEdit(form::Edge edge, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    form::Edge edge_;
};

// Flat button with a drawn border, no focus rectangle, and a text colour of its own for
// the hover state; shows an image instead of a caption when given one.
class PictureButton : public QAbstractButton {
public:
    PictureButton(const QColor& text, const QColor& hover_text, QWidget* parent);
    // `face_2x`, drawn at twice the size, stands in on screens scaled above 1.
    void set_face(QImage face, QImage face_2x = {});

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor text_;
    QColor hover_text_;
    QImage face_;
    QImage face_2x_;
};

}  // namespace qinghe
