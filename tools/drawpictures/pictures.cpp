#include "pictures.h"

#include "letters.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>

namespace Pictures {
namespace {

const QColor LetterOutline(0x3a, 0x3a, 0x3a);
const QColor Lavender(0xe6, 0xdc, 0xf8);
const QColor Mauve(0xa8, 0x78, 0xc0);
const QColor DeepMauve(0x8a, 0x58, 0xa6);
const QColor PurpleOutline(0x55, 0x34, 0x6e);

// Two words centred one above the other in area, with a little more room
// between the lines than around the letters, so they read as two lines.
void drawTwoLines(QPainter &painter, const QRect &area, QStringView first, QStringView second)
{
    constexpr int lineGap = 6;
    const int top = area.top() + (area.height() - 2 * Letters::Height - lineGap) / 2;
    const int firstLeft = area.left() + (area.width() - Letters::textWidth(first)) / 2;
    const int secondLeft = area.left() + (area.width() - Letters::textWidth(second)) / 2;
    Letters::drawText(painter, QPoint(firstLeft, top), first, LetterOutline);
    Letters::drawText(painter, QPoint(secondLeft, top + Letters::Height + lineGap), second,
                      LetterOutline);
}

// An open folder 38 x 33 pixels from origin: the back with its tab, a sheet
// inside, and the front flap tipped forward.
void drawOpenFolder(QPainter &painter, QPoint origin)
{
    painter.save();
    painter.translate(QPointF(origin) + QPointF(0.5, 0.5));
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(PurpleOutline, 1.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));

    QPainterPath back;
    back.moveTo(0, 32);
    back.lineTo(0, 3);
    back.quadTo(0, 1, 2, 1);
    back.lineTo(11, 1);
    back.lineTo(14, 4);
    back.lineTo(29, 4);
    back.quadTo(31, 4, 31, 6);
    back.lineTo(31, 32);
    back.closeSubpath();
    QLinearGradient backShade(0, 1, 31, 32);
    backShade.setColorAt(0, Mauve.lighter(115));
    backShade.setColorAt(1, DeepMauve);
    painter.setBrush(backShade);
    painter.drawPath(back);

    painter.setBrush(Qt::white);
    painter.setPen(QPen(QColor(0x8c, 0x80, 0x98), 1.0));
    painter.drawRect(QRectF(5, 7, 21, 17));
    painter.setPen(QPen(QColor(0xb8, 0xb0, 0xc4), 1.0));
    for (int y = 11; y <= 20; y += 3)
        painter.drawLine(QPointF(8, y), QPointF(23, y));

    QPolygonF front{QPointF(0, 32), QPointF(6, 13), QPointF(37, 13), QPointF(31, 32)};
    QLinearGradient frontShade(6, 13, 31, 32);
    frontShade.setColorAt(0, Lavender);
    frontShade.setColorAt(1, Mauve);
    painter.setBrush(frontShade);
    painter.setPen(QPen(PurpleOutline, 1.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPolygon(front);
    // A lighter line along the flap's top edge gives it some thickness.
    painter.setPen(QPen(QColor(255, 255, 255, 170), 1.0));
    painter.drawLine(QPointF(7, 14), QPointF(35.5, 14));
    painter.restore();
}

// Two tapering blades that lean together into a point at the bottom, the
// shape of a funnel; about 40 x 48 pixels from origin.
void drawFunnel(QPainter &painter, QPoint origin)
{
    painter.save();
    painter.translate(QPointF(origin) + QPointF(0.5, 0.5));
    painter.setRenderHint(QPainter::Antialiasing);

    const qreal middle = 19.5;
    const qreal bottom = 47;
    QPainterPath blade;
    blade.moveTo(0, 2);
    blade.lineTo(10, 0);
    blade.quadTo(13, 26, middle - 0.5, bottom);
    blade.quadTo(4, 30, 0, 2);
    blade.closeSubpath();

    QTransform mirror;
    mirror.translate(2 * middle, 0);
    mirror.scale(-1, 1);

    QLinearGradient shade(0, 0, 0, bottom);
    shade.setColorAt(0, Mauve.lighter(118));
    shade.setColorAt(1, DeepMauve);
    painter.setBrush(shade);
    painter.setPen(QPen(PurpleOutline, 1.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(blade);
    painter.drawPath(mirror.map(blade));
    painter.restore();
}

// A white picture of size pixels drawn at scale: the drawing keeps its
// coordinates, and its one-pixel lines, laid on pixel centres, cover whole
// pixels at any whole scale.
QImage whitePicture(QSize size, int scale)
{
    QImage image(size * scale, QImage::Format_RGB32);
    image.fill(Qt::white);
    image.setDevicePixelRatio(scale);
    return image;
}

QImage withoutScale(QImage image)
{
    image.setDevicePixelRatio(1);
    return image;
}

} // namespace

QImage addPicture(int scale)
{
    QImage image = whitePicture(QSize(102, 66), scale);
    QPainter painter(&image);
    drawOpenFolder(painter, QPoint(2, 16));
    drawTwoLines(painter, QRect(42, 0, 58, 66), u"ADD", u"FILES");
    painter.end();
    return withoutScale(image);
}

QImage joinPicture(int scale)
{
    QImage image = whitePicture(QSize(109, 60), scale);
    QPainter painter(&image);
    drawTwoLines(painter, QRect(3, 0, 60, 60), u"JOIN", u"FILES");
    drawFunnel(painter, QPoint(66, 6));
    painter.end();
    return withoutScale(image);
}

namespace {

// The dispenser is designed on a 32-unit square and seen in an oblique
// projection: its far side lies Depth units up and to the right.
const QPointF Depth(4.0, -3.0);
const QPointF RollCentre(12.5, 13.5);
constexpr qreal RollRadius = 7.5;
constexpr qreal CoreRadius = 4.2;
constexpr qreal HubRadius = 3.2;

// The near side wall: a weighted base, a cradle under the roll, and a nose
// that rises to the cutter at the front.
QPainterPath sideWall()
{
    QPainterPath wall;
    wall.moveTo(4, 28);
    wall.lineTo(25, 28);
    wall.quadTo(27.5, 28, 28, 25.5);
    wall.lineTo(29.5, 17.5);
    wall.lineTo(27.5, 16.5);
    wall.quadTo(24, 18.5, 21, 19.5);
    wall.quadTo(12.5, 24.5, 5, 19);
    wall.quadTo(2, 17.5, 2, 21);
    wall.lineTo(2, 26);
    wall.quadTo(2, 28, 4, 28);
    wall.closeSubpath();
    return wall;
}

// Everything the wall covers as it is pushed back by offset: the solid body.
// Each piece is united on its own, since pieces wound the other way round
// would cancel out under a winding fill.
QPainterPath swept(const QPainterPath &outline, QPointF offset)
{
    QPainterPath body = outline.united(outline.translated(offset));
    const QPolygonF polygon = outline.toFillPolygon();
    QPainterPath sides;
    for (int i = 0; i + 1 < polygon.size(); ++i) {
        const QPointF a = polygon[i];
        const QPointF b = polygon[i + 1];
        QPainterPath side;
        side.addPolygon(QPolygonF{a, b, b + offset, a + offset, a});
        sides = sides.united(side);
    }
    return body.united(sides);
}

QPainterPath circle(QPointF centre, qreal radius)
{
    QPainterPath path;
    path.addEllipse(centre, radius, radius);
    return path;
}

} // namespace

QImage tapeDispenser(int size)
{
    const QPainterPath wall = sideWall();
    const QPainterPath body = swept(wall, Depth);

    // The roll sits between the side walls, sunk into the cradle.
    const QPointF rollNear = RollCentre + Depth * 0.2;
    const QPointF rollFar = RollCentre + Depth * 0.8;
    const QPointF across = QPointF(-Depth.y(), Depth.x()) / std::hypot(Depth.x(), Depth.y())
            * RollRadius;
    QPainterPath band;
    band.addPolygon(QPolygonF{rollNear + across, rollFar + across, rollFar - across,
                              rollNear - across, rollNear + across});
    const QPainterPath roll =
            circle(rollNear, RollRadius).united(circle(rollFar, RollRadius)).united(band);
    const QPainterPath silhouette = body.united(roll);

    // The cutter: a strip of teeth along the top of the nose's front edge.
    const QPointF cutterStart(29.5, 17.5);
    const QPointF forward = QPointF(1.0, 0.35);
    QPolygonF cutter{cutterStart - forward * 0.5};
    constexpr int teeth = 5;
    for (int i = 0; i <= 2 * teeth; ++i) {
        const QPointF along = cutterStart + Depth * (qreal(i) / (2 * teeth));
        cutter << (i % 2 ? along + forward : along);
    }
    cutter << cutterStart + Depth - forward * 0.5;

    // Fit the drawing into the square with a small margin, whatever its design
    // coordinates, so that no part of the far side is cut off.
    const QRectF bounds = silhouette.boundingRect().united(cutter.boundingRect());
    const qreal margin = 1.0;
    const qreal fit = std::min((32 - 2 * margin) / bounds.width(),
                               (32 - 2 * margin) / bounds.height());

    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal scale = size / 32.0 * fit;
    painter.scale(size / 32.0, size / 32.0);
    painter.translate(16, 16);
    painter.scale(fit, fit);
    painter.translate(-bounds.center());

    // Lines stay about one pixel at the small size and grow more slowly than
    // the picture, so the large icons do not look drawn with a marker.
    const qreal pixel = 1.0 / scale;
    const qreal outlineWidth = std::max(pixel, 0.8 * std::pow(32.0 / size, 0.35));
    const qreal detailWidth = std::max(pixel, outlineWidth * 0.7);
    const QColor darkRed(0x4a, 0x06, 0x0a);

    // The body's top and far surfaces, in shade.
    QLinearGradient depthShade(0, 12, 0, 28);
    depthShade.setColorAt(0, QColor(0xd8, 0x3a, 0x36));
    depthShade.setColorAt(1, QColor(0x8c, 0x0c, 0x12));
    painter.setPen(Qt::NoPen);
    painter.setBrush(depthShade);
    painter.drawPath(body);

    QLinearGradient tapeEdge(rollNear - across, rollNear + across);
    tapeEdge.setColorAt(0, QColor(0xe4, 0xee, 0xf4));
    tapeEdge.setColorAt(1, QColor(0x9c, 0xb2, 0xc0));
    painter.setBrush(tapeEdge);
    painter.setPen(QPen(QColor(0x5c, 0x70, 0x80), detailWidth));
    painter.drawPath(roll);

    // The roll's near face: clear tape wound on a pale core, and in the core
    // the dispenser's red hub.
    QLinearGradient tapeFace(rollNear - QPointF(RollRadius, RollRadius),
                             rollNear + QPointF(RollRadius, RollRadius));
    tapeFace.setColorAt(0, QColor(0xf4, 0xf9, 0xfc));
    tapeFace.setColorAt(1, QColor(0xa6, 0xbe, 0xce));
    painter.setBrush(tapeFace);
    painter.drawPath(circle(rollNear, RollRadius));
    painter.setBrush(QColor(0xf0, 0xe4, 0xc8));
    painter.setPen(QPen(QColor(0x8a, 0x7a, 0x60), detailWidth));
    painter.drawPath(circle(rollNear, CoreRadius));
    QRadialGradient hubShade(rollNear, HubRadius, rollNear - QPointF(1, 1));
    hubShade.setColorAt(0, QColor(0xf8, 0x60, 0x58));
    hubShade.setColorAt(1, QColor(0xb0, 0x10, 0x18));
    painter.setBrush(hubShade);
    painter.setPen(QPen(darkRed, detailWidth));
    painter.drawPath(circle(rollNear, HubRadius));
    // The gloss of the tape: a light arc on its upper left.
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(255, 255, 255, 230), std::max(pixel, 1.0), Qt::SolidLine,
                        Qt::RoundCap));
    painter.drawArc(QRectF(rollNear - QPointF(5.9, 5.9), QSizeF(11.8, 11.8)), 105 * 16, 55 * 16);

    // The tape runs from the roll over the nose to the cutter; a fine edge
    // keeps the clear strip visible where it crosses a light background.
    const QLineF strip(rollNear + QPointF(RollRadius - 0.6, 2.0) + Depth * 0.25,
                       cutterStart + Depth * 0.3);
    const qreal stripWidth = std::max(pixel, 1.2);
    painter.setPen(QPen(QColor(0x80, 0x98, 0xa8), stripWidth + 2 * detailWidth, Qt::SolidLine,
                        Qt::FlatCap));
    painter.drawLine(strip);
    painter.setPen(QPen(QColor(0xee, 0xf6, 0xfa), stripWidth, Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(strip);

    // The near side wall, lit from above.
    QLinearGradient wallShade(0, 16, 0, 28);
    wallShade.setColorAt(0, QColor(0xf0, 0x40, 0x38));
    wallShade.setColorAt(1, QColor(0xb4, 0x10, 0x18));
    painter.setBrush(wallShade);
    painter.setPen(QPen(darkRed, detailWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(wall);
    painter.setPen(QPen(QColor(255, 200, 190, 200), std::max(pixel, 0.9), Qt::SolidLine,
                        Qt::RoundCap));
    painter.setBrush(Qt::NoBrush);
    QPainterPath gloss;
    gloss.moveTo(4, 22);
    gloss.quadTo(12.5, 26.5, 21.5, 21.5);
    painter.drawPath(gloss);

    painter.setPen(QPen(darkRed, outlineWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(silhouette);

    QLinearGradient steel(cutterStart, cutterStart + forward);
    steel.setColorAt(0, QColor(0x70, 0x76, 0x80));
    steel.setColorAt(1, QColor(0xc8, 0xcc, 0xd2));
    painter.setBrush(steel);
    painter.setPen(QPen(QColor(0x30, 0x32, 0x38), detailWidth, Qt::SolidLine, Qt::RoundCap,
                        Qt::RoundJoin));
    painter.drawPolygon(cutter);
    return image;
}

namespace {

// The hand is built from filled pixel rectangles; its outline is every pixel
// beside the fill, so the edge is one crisp black pixel wide everywhere.
const QRect handFills[] = {
    QRect(QPoint(9, 1), QPoint(11, 15)),   // index finger
    QRect(QPoint(13, 8), QPoint(15, 15)),  // middle finger, curled
    QRect(QPoint(17, 9), QPoint(19, 15)),  // ring finger
    QRect(QPoint(21, 10), QPoint(22, 16)), // little finger
    QRect(QPoint(9, 13), QPoint(22, 20)),  // palm
    QRect(QPoint(10, 21), QPoint(21, 23)), // heel of the hand
};

} // namespace

QPoint handHotSpot()
{
    return QPoint(10, 0);
}

QImage handPointer()
{
    QImage fill(32, 32, QImage::Format_ARGB32);
    fill.fill(Qt::transparent);
    {
        QPainter painter(&fill);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::white);
        for (const QRect &rect : handFills)
            painter.drawRect(rect);
        // The thumb reaches out to the left and up from the palm.
        painter.drawPolygon(QPolygon{QPoint(9, 16), QPoint(5, 12), QPoint(3, 12), QPoint(2, 14),
                                     QPoint(8, 20), QPoint(9, 20)});
    }

    QImage hand = fill;
    auto isFill = [&](int x, int y) {
        return x >= 0 && y >= 0 && x < 32 && y < 32 && qAlpha(fill.pixel(x, y)) != 0;
    };
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            if (isFill(x, y))
                continue;
            if (isFill(x - 1, y) || isFill(x + 1, y) || isFill(x, y - 1) || isFill(x, y + 1))
                hand.setPixel(x, y, qRgb(0, 0, 0));
        }
    }
    return hand;
}

} // namespace Pictures
