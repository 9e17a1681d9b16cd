#include "letters.h"

#include <QLineF>
#include <QList>
#include <QPainter>
#include <QPainterPath>

#include <array>
#include <cmath>

namespace Letters {
namespace {

// Sizes in pixels. A stroke is four pixels across so that a one-pixel outline
// on each side still leaves two white pixels inside it at the real size.
constexpr int Stroke = 4;
constexpr int Counter = 3;
constexpr int Spacing = 2;
constexpr std::array<int, 5> RowHeights{Stroke, 5, Stroke, 5, Stroke};
static_assert(Stroke * 3 + 5 * 2 == Height);

constexpr qreal SoftRadius = 1.5;
constexpr qreal RoundRadius = 5.5;
constexpr qreal InnerRadius = 0.8;
constexpr qreal RoundInnerRadius = 1.6;

enum Corner { TopLeft = 1, TopRight = 2, BottomLeft = 4, BottomRight = 8 };

struct Glyph {
    QChar letter;
    std::array<const char *, 5> rows; // '#' marks a filled cell
    QList<int> columns;               // width of each cell column
    int roundCorners = 0;             // quadrants whose outer corner is fully round
    bool diagonal = false;            // N's stroke from top left to bottom right
};

const QList<Glyph> &glyphs()
{
    static const QList<Glyph> table{
        {u'A', {"###", "#.#", "###", "#.#", "#.#"}, {Stroke, Counter, Stroke}, TopLeft | TopRight},
        {u'D', {"###", "#.#", "#.#", "#.#", "###"}, {Stroke, Counter, Stroke}, TopRight | BottomRight},
        {u'E', {"###", "#..", "##.", "#..", "###"}, {Stroke, Counter, Stroke - 1}},
        {u'F', {"###", "#..", "##.", "#..", "#.."}, {Stroke, Counter, Stroke - 1}},
        {u'I', {"#", "#", "#", "#", "#"}, {Stroke}},
        {u'J', {"..#", "..#", "..#", "#.#", "###"}, {Stroke, Counter, Stroke}, BottomLeft | BottomRight},
        {u'L', {"#..", "#..", "#..", "#..", "###"}, {Stroke, Counter, Stroke - 1}},
        {u'N', {"#.#", "#.#", "#.#", "#.#", "#.#"}, {Stroke, 5, Stroke}, 0, true},
        {u'O', {"###", "#.#", "#.#", "#.#", "###"}, {Stroke, Counter, Stroke},
         TopLeft | TopRight | BottomLeft | BottomRight},
        {u'S', {"###", "#..", "###", "..#", "###"}, {Stroke, Counter, Stroke}, TopLeft | BottomRight},
    };
    return table;
}

const Glyph *glyphFor(QChar letter)
{
    for (const Glyph &glyph : glyphs()) {
        if (glyph.letter == letter)
            return &glyph;
    }
    return nullptr;
}

int glyphWidth(const Glyph &glyph)
{
    int width = 0;
    for (int column : glyph.columns)
        width += column;
    return width;
}

// The letter's ink as a union of rectangles whose corners sit on pixel centres,
// so that an outline stroked along it covers whole pixels on straight edges.
QPainterPath inkOf(const Glyph &glyph)
{
    const int columnCount = int(glyph.columns.size());
    QList<int> left{0};
    for (int width : glyph.columns)
        left.append(left.last() + width);
    std::array<int, 6> top{};
    for (std::size_t row = 0; row < RowHeights.size(); ++row)
        top[row + 1] = top[row] + RowHeights[row];

    auto filled = [&](int column, int row) {
        return column >= 0 && column < columnCount && row >= 0 && row < 5
                && glyph.rows[std::size_t(row)][column] == '#';
    };
    // Cells c0..c1 by r0..r1, inclusive, on pixel-centre coordinates.
    auto cells = [&](int c0, int r0, int c1, int r1) {
        return QRectF(QPointF(left[c0], top[std::size_t(r0)]),
                      QPointF(left[c1 + 1] - 1, top[std::size_t(r1) + 1] - 1));
    };

    QPainterPath ink;
    ink.setFillRule(Qt::WindingFill);
    for (int row = 0; row < 5; ++row) {
        for (int column = 0; column < columnCount; ++column) {
            if (!filled(column, row))
                continue;
            ink.addRect(cells(column, row, column, row));
            // Neighbouring cells are one pixel-centre apart; bridge them, or the
            // union would keep a hairline seam between them.
            if (filled(column + 1, row))
                ink.addRect(cells(column, row, column + 1, row));
            if (filled(column, row + 1))
                ink.addRect(cells(column, row, column, row + 1));
            if (filled(column + 1, row) && filled(column, row + 1) && filled(column + 1, row + 1))
                ink.addRect(cells(column, row, column + 1, row + 1));
        }
    }
    if (glyph.diagonal) {
        const qreal right = left.last() - 1;
        const qreal bottom = Height - 1;
        const qreal thickness = Stroke + 1.5;
        ink.addPolygon(QPolygonF{QPointF(0, 0), QPointF(thickness, 0), QPointF(right, bottom),
                                 QPointF(right - thickness, bottom)});
        ink.closeSubpath();
    }
    return ink.simplified();
}

QPolygonF withoutRedundantPoints(QPolygonF polygon)
{
    if (polygon.size() > 1 && polygon.first() == polygon.last())
        polygon.removeLast();
    bool removed = true;
    while (removed && polygon.size() > 3) {
        removed = false;
        for (int i = 0; i < polygon.size(); ++i) {
            const QPointF previous = polygon[(i + polygon.size() - 1) % polygon.size()];
            const QPointF point = polygon[i];
            const QPointF next = polygon[(i + 1) % polygon.size()];
            const QPointF a = point - previous;
            const QPointF b = next - point;
            const qreal cross = a.x() * b.y() - a.y() * b.x();
            if (QLineF(previous, point).length() < 1e-6 || std::abs(cross) < 1e-6) {
                polygon.remove(i);
                removed = true;
                break;
            }
        }
    }
    return polygon;
}

QPointF unit(QPointF vector)
{
    const qreal length = std::hypot(vector.x(), vector.y());
    return vector / length;
}

// Rounds every corner of the ink: outer corners softly, the corners that
// the glyph names fully, and inner corners just enough not to look cut, a
// little more behind a fully rounded corner so the stroke keeps its width.
QPainterPath softened(const QPainterPath &ink, const Glyph &glyph)
{
    const QRectF bounds = ink.boundingRect();
    auto quadrant = [&](QPointF point) {
        const bool left = point.x() < bounds.center().x();
        const bool top = point.y() < bounds.center().y();
        return top ? (left ? TopLeft : TopRight) : (left ? BottomLeft : BottomRight);
    };
    auto atOuterCorner = [&](QPointF point) {
        return (std::abs(point.x() - bounds.left()) < 1e-6
                || std::abs(point.x() - bounds.right()) < 1e-6)
                && (std::abs(point.y() - bounds.top()) < 1e-6
                    || std::abs(point.y() - bounds.bottom()) < 1e-6);
    };
    auto radiusAt = [&](QPointF point, bool convex) {
        const bool round = glyph.roundCorners & quadrant(point);
        if (!convex)
            return round ? RoundInnerRadius : InnerRadius;
        if (atOuterCorner(point))
            return round ? RoundRadius : SoftRadius;
        return SoftRadius;
    };

    QPainterPath result;
    for (const QPolygonF &raw : ink.toSubpathPolygons()) {
        const QPolygonF polygon = withoutRedundantPoints(raw);
        const int count = int(polygon.size());
        for (int i = 0; i < count; ++i) {
            const QPointF previous = polygon[(i + count - 1) % count];
            const QPointF point = polygon[i];
            const QPointF next = polygon[(i + 1) % count];
            const QPointF toPrevious = unit(previous - point);
            const QPointF toNext = unit(next - point);

            // The ink lies inside the angle of a convex corner, outside it of a concave one.
            const bool convex = ink.contains(point + (toPrevious + toNext) * 0.25);
            qreal radius = radiusAt(point, convex);
            radius = std::min({radius, QLineF(previous, point).length() / 2,
                               QLineF(point, next).length() / 2});

            const QPointF start = point + toPrevious * radius;
            const QPointF end = point + toNext * radius;
            constexpr qreal circle = 0.5523; // cubic control length of a quarter circle
            if (i == 0)
                result.moveTo(start);
            else
                result.lineTo(start);
            result.cubicTo(start - toPrevious * radius * circle, end - toNext * radius * circle, end);
        }
        result.closeSubpath();
    }
    return result;
}

} // namespace

int textWidth(QStringView text)
{
    int width = 0;
    for (QChar letter : text) {
        if (const Glyph *glyph = glyphFor(letter))
            width += glyphWidth(*glyph) + Spacing;
    }
    return width > 0 ? width - Spacing : 0;
}

void drawText(QPainter &painter, QPoint topLeft, QStringView text, const QColor &outline,
              const QColor &fill)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(outline, 1.0, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.setBrush(fill);
    // Half a pixel puts the outline's centre line on pixel centres.
    QPointF origin = QPointF(topLeft) + QPointF(0.5, 0.5);
    for (QChar letter : text) {
        const Glyph *glyph = glyphFor(letter);
        Q_ASSERT_X(glyph, "Letters::drawText", "letter not designed");
        if (!glyph)
            continue;
        painter.drawPath(softened(inkOf(*glyph), *glyph).translated(origin));
        origin.rx() += glyphWidth(*glyph) + Spacing;
    }
    painter.restore();
}

} // namespace Letters
