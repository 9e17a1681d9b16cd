#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QPoint>

// Windows icon and cursor files, written byte by byte: Qt's own ICO writer
// chooses the pixel format itself and writes no cursors.
namespace IconFile {

enum class Kind : quint16 { Icon = 1, Cursor = 2 };

// One image of the file and how it is stored: with bitsPerPixel 1 (black and
// white) or 24, its colours go into a DIB and its alpha into the 1-bit
// transparency mask, a pixel at least half opaque counting as opaque; with 32,
// the DIB keeps the alpha too, and the mask is for old readers; with 0 the
// image is stored as a PNG, as Windows takes it for 256 pixels.
struct Image {
    QImage image;
    int bitsPerPixel;
};

// The images as an icon or cursor file, in the order given. hotSpot is
// written for cursors only.
QByteArray encode(const QList<Image> &images, Kind kind, QPoint hotSpot = {});

inline QByteArray encode(const QImage &image, Kind kind, int bitsPerPixel, QPoint hotSpot = {})
{
    return encode({Image{image, bitsPerPixel}}, kind, hotSpot);
}

} // namespace IconFile
