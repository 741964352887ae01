#pragma once
// Wave underlines over stretches of a text document, each with a tooltip, the way a spell
// checker marks words. They are kept beside the document, not in its character formats:
// a run may mark tens of thousands of words, and every piece with a format of its own
// costs the document an insertion. Only the marks on screen are painted.
#include <QColor>
#include <QString>
#include <span>
#include <vector>

class QFont;
class QPainter;
class QPointF;
class QTextBlock;

namespace qinghe {

class WaveMarks {
public:
    struct Mark {
        int begin, end;  // document positions
        QRgb colour;
        int tooltip;  // its number, from add_tooltip
    };

    // Keeps a tooltip's text and gives its number.
    int add_tooltip(QString text);
    // Adds a mark; marks keep to the order of their positions and do not overlap (a mark
    // that would overlap one kept already is left out).
    void add(const Mark& mark);
    // Adds the marks of `more`, which lie after these, with their tooltips.
    void append(const WaveMarks& more);
    void clear();
    void reserve(size_t marks) { marks_.reserve(marks); }
    bool empty() const { return marks_.empty(); }

    // Follows an edit of the document, as QTextDocument::contentsChange reports it: marks
    // after it move, text typed inside a mark joins it, and a mark whose text went
    // altogether goes.
    void follow_edit(int position, int removed, int added);

    // The mark over the character at `position`, or none.
    const Mark* at(int position) const;
    // The marks that reach into [begin, end).
    std::span<const Mark> within(int begin, int end) const;
    const QString& tooltip(const Mark& mark) const { return tooltips_[static_cast<size_t>(mark.tooltip)]; }

    // Paints the marks of a laid-out block, its layout's coordinates being the painter's.
    void paint(QPainter& painter, const QTextBlock& block) const;

private:
    std::vector<Mark> marks_;
    std::vector<QString> tooltips_;
};

// Draws a wave under a stretch of text as Qt draws a character format's wave underline:
// from `baseline_start`, `width` long, sized for `font`, in `colour`.
void draw_wave(QPainter& painter, const QPointF& baseline_start, qreal width, const QFont& font, const QColor& colour);

}  // namespace qinghe
