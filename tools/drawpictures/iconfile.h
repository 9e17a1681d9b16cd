#pragma once

#include <QByteArray>
#include <QImage>
#include <QPoint>

// Windows icon and cursor files holding one image, written byte by byte:
// Qt's own ICO writer chooses the pixel format itself and writes no cursors.
namespace IconFile {

enum class Kind : quint16 { Icon = 1, Cursor = 2 };

// One image as an icon or cursor file. The image's colours go into a DIB of
// bitsPerPixel bits (1: black and white, or 24), its alpha into the 1-bit
// transparency mask: a pixel at least half opaque counts as opaque.
// hotSpot is written for cursors only.
QByteArray encode(const QImage &image, Kind kind, int bitsPerPixel, QPoint hotSpot = {});

} // namespace IconFile
