#include "app/window/wave_marks.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QTextBlock>
#include <QTextLayout>
#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

namespace qinghe {
namespace {

// One period of the wave, tiled along the text: the curve Qt draws for a wave underline
// of this radius and pen, so that a mark looks as a character format's wave did.
const QPixmap& wave_tile(qreal max_radius, const QPen& pen) {
    static std::map<std::tuple<QRgb, qreal, qreal>, QPixmap> tiles;
    const qreal radius_base = std::max<qreal>(1, max_radius);
    auto [at, added] = tiles.try_emplace({pen.color().rgba(), radius_base, pen.widthF()});
    if (!added) return at->second;
    const qreal half_period = std::max<qreal>(2, radius_base * 1.61803399);  // the golden ratio
    const int width = static_cast<int>(std::ceil(100 / (2 * half_period)) * (2 * half_period));
    const qreal radius = std::floor(radius_base * 2) / 2;
    QPainterPath path;
    qreal x = 0, y = radius;
    while (x < width) {
        x += half_period;
        y = -y;
        path.quadTo(x - half_period / 2, y, x, 0);
    }
    QPixmap tile(width, static_cast<int>(radius * 2));
    tile.fill(Qt::transparent);
    QPen wave_pen = pen;
    wave_pen.setCapStyle(Qt::SquareCap);
    wave_pen.setWidthF(std::min(wave_pen.widthF(), 0.8 * radius));
    QPainter painter(&tile);
    painter.setPen(wave_pen);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(0, radius);
    painter.drawPath(path);
    return at->second = tile;
}

// The font the text at `position` (a position in the block) is drawn in.
QFont font_at(const QTextBlock& block, int position) {
    const int absolute = block.position() + position;
    for (QTextBlock::iterator piece = block.begin(); !piece.atEnd(); ++piece) {
        if (piece.fragment().contains(absolute)) return piece.fragment().charFormat().font();
    }
    return block.charFormat().font();
}

}  // namespace

int WaveMarks::add_tooltip(QString text) {
    tooltips_.push_back(std::move(text));
    return static_cast<int>(tooltips_.size() - 1);
}

void WaveMarks::add(const Mark& mark) {
    if (mark.begin >= mark.end) return;
    if (marks_.empty() || marks_.back().end <= mark.begin) {
        marks_.push_back(mark);
        return;
    }
    const auto after = std::upper_bound(marks_.begin(), marks_.end(), mark.begin,
                                        [](int begin, const Mark& m) { return begin < m.begin; });
    if ((after != marks_.begin() && std::prev(after)->end > mark.begin) ||
        (after != marks_.end() && after->begin < mark.end))
        return;
    marks_.insert(after, mark);
}

void WaveMarks::append(const WaveMarks& more) {
    const auto first_tooltip = static_cast<int>(tooltips_.size());
    tooltips_.insert(tooltips_.end(), more.tooltips_.begin(), more.tooltips_.end());
    for (Mark mark : more.marks_) {
        mark.tooltip += first_tooltip;
        add(mark);
    }
}

void WaveMarks::clear() {
    marks_.clear();
    tooltips_.clear();
}

void WaveMarks::follow_edit(int position, int removed, int added) {
    const int removed_end = position + removed;
    const int shift = added - removed;
    // Marks ending at or before the edit stay as they are; the others map their ends
    // through it, and one left with no text of its own goes.
    auto first =
        std::upper_bound(marks_.begin(), marks_.end(), position, [](int at, const Mark& m) { return at < m.end; });
    auto kept = first;
    for (auto it = first; it != marks_.end(); ++it) {
        Mark mark = *it;
        if (mark.begin >= removed_end) {
            mark.begin += shift;
            mark.end += shift;
        } else {
            mark.begin = mark.begin < position ? mark.begin : position + added;
            mark.end = mark.end > removed_end ? mark.end + shift : position;
            if (mark.begin >= mark.end) continue;
        }
        *kept++ = mark;
    }
    marks_.erase(kept, marks_.end());
}

const WaveMarks::Mark* WaveMarks::at(int position) const {
    const auto after =
        std::upper_bound(marks_.begin(), marks_.end(), position, [](int at, const Mark& m) { return at < m.begin; });
    if (after == marks_.begin()) return nullptr;
    const Mark& mark = *std::prev(after);
    return position < mark.end ? &mark : nullptr;
}

std::span<const WaveMarks::Mark> WaveMarks::within(int begin, int end) const {
    // Ordered and not overlapping, the marks are ordered by their ends too.
    const auto first =
        std::upper_bound(marks_.begin(), marks_.end(), begin, [](int at, const Mark& m) { return at < m.end; });
    const auto last = std::lower_bound(first, marks_.end(), end, [](const Mark& m, int at) { return m.begin < at; });
    return {first, last};
}

void WaveMarks::paint(QPainter& painter, const QTextBlock& block) const {
    const QTextLayout* layout = block.layout();
    if (!layout) return;
    const int start = block.position();
    const QPointF origin = layout->position();
    for (const Mark& mark : within(start, start + block.length() - 1)) {
        const int begin = std::max(mark.begin - start, 0), end = mark.end - start;
        const QFont font = font_at(block, begin);
        for (int i = 0; i < layout->lineCount(); ++i) {
            const QTextLine line = layout->lineAt(i);
            const int from = std::max(begin, line.textStart());
            const int to = std::min(end, line.textStart() + line.textLength());
            if (from >= to) continue;
            const qreal left = line.cursorToX(from), right = line.cursorToX(to);
            // Unscaled, the text lands on whole pixels, and its wave with it.
            qreal y = origin.y() + line.y() + line.ascent();
            if (painter.deviceTransform().type() <= QTransform::TxTranslate) y = std::round(y);
            const QPointF baseline(origin.x() + std::min(left, right), y);
            draw_wave(painter, baseline, std::abs(right - left), font, QColor::fromRgba(mark.colour));
        }
    }
}

void draw_wave(QPainter& painter, const QPointF& baseline_start, qreal width, const QFont& font, const QColor& colour) {
    const QFontMetricsF metrics(font);
    QPen pen(colour, metrics.lineWidth(), Qt::SolidLine, Qt::FlatCap);
    const qreal max_height = metrics.descent() - 1;
    // As high as the underline lies below the baseline (or the pen is thick), within the
    // descent.
    const QPixmap& tile = wave_tile(std::min(std::max(metrics.underlinePos(), pen.widthF()), max_height / 2), pen);
    const int height = std::min(tile.height(), static_cast<int>(std::floor(max_height)));
    painter.save();
    // As text is drawn: on a screen scaled by a fraction, the wave's lower edge blends in.
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(0, baseline_start.y() + 1);
    painter.setBrushOrigin(painter.brushOrigin().x(), 0);
    painter.fillRect(static_cast<int>(baseline_start.x()), 0, static_cast<int>(std::ceil(width)), height, tile);
    painter.restore();
}

}  // namespace qinghe
