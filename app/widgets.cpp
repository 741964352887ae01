#include "app/widgets.h"

#include <QPaintEngine>
#include <QPainter>
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

}  // namespace

EdgedLineEdit::EdgedLineEdit(form::Edge edge, QWidget* parent) : QLineEdit(parent), edge_(edge) {
    setFrame(false);
    const int width = edge_width(edge) + 1;
    setTextMargins(width, 0, width, 0);
}

void EdgedLineEdit::paintEvent(QPaintEvent* event) {
    QLineEdit::paintEvent(event);
    QPainter painter(this);
    draw_edge(painter, rect(), palette(), edge_);
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

void PictureButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().button());
    if (!face_.isNull()) {
        // At 1.5x the 2x face is scaled down smoothly, which stays sharper than 1x scaled up.
        const bool dense = painter.paintEngine()->paintDevice()->devicePixelRatioF() > 1 && !face_2x_.isNull();
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(rect(), dense ? face_2x_ : face_);
        return;
    }
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    painter.setPen(underMouse() ? hover_text_ : text_);
    painter.setFont(font());
    const QPoint shift = isDown() ? QPoint(1, 1) : QPoint();
    painter.drawText(rect().translated(shift), Qt::AlignCenter, text());
}

}  // namespace qinghe
