#include "iconfile.h"

#include <QDataStream>
#include <QIODevice>

namespace IconFile {
namespace {

constexpr int DirectorySize = 6;
constexpr int EntrySize = 16;
constexpr int InfoHeaderSize = 40;

// DIB rows start on 32-bit boundaries.
int rowBytes(int width, int bitsPerPixel)
{
    return (width * bitsPerPixel + 31) / 32 * 4;
}

bool opaque(QRgb pixel)
{
    return qAlpha(pixel) >= 128;
}

} // namespace

QByteArray encode(const QImage &source, Kind kind, int bitsPerPixel, QPoint hotSpot)
{
    Q_ASSERT(bitsPerPixel == 1 || bitsPerPixel == 24);
    Q_ASSERT(source.width() <= 256 && source.height() <= 256);
    // Straight (not premultiplied) alpha: an edge pixel keeps the full colour
    // of the shape it belongs to instead of fading towards black.
    const QImage image = source.convertToFormat(QImage::Format_ARGB32);
    const int width = image.width();
    const int height = image.height();
    const int colourBytes = rowBytes(width, bitsPerPixel);
    const int maskBytes = rowBytes(width, 1);
    const int paletteEntries = bitsPerPixel == 1 ? 2 : 0;
    const quint32 pixelDataSize = quint32((colourBytes + maskBytes) * height);
    const quint32 imageSize = quint32(InfoHeaderSize + paletteEntries * 4) + pixelDataSize;

    QByteArray data;
    QDataStream out(&data, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);

    out << quint16(0) << quint16(kind) << quint16(1);

    // A dimension of 256 is stored as 0.
    out << quint8(width & 0xff) << quint8(height & 0xff) << quint8(paletteEntries) << quint8(0);
    if (kind == Kind::Cursor)
        out << quint16(hotSpot.x()) << quint16(hotSpot.y());
    else
        out << quint16(1) << quint16(bitsPerPixel);
    out << imageSize << quint32(DirectorySize + EntrySize);

    // The DIB's height counts the colour rows and the mask rows together.
    out << quint32(InfoHeaderSize) << qint32(width) << qint32(2 * height) << quint16(1)
        << quint16(bitsPerPixel) << quint32(0) << pixelDataSize << qint32(0) << qint32(0)
        << quint32(paletteEntries) << quint32(0);
    if (bitsPerPixel == 1)
        out << quint32(0x00000000) << quint32(0x00ffffff);

    // Both bitmaps run bottom-up. A transparent pixel is black in the colour
    // bitmap, so that the screen's AND-then-XOR leaves the background as it is.
    for (int y = height - 1; y >= 0; --y) {
        QByteArray row(colourBytes, '\0');
        for (int x = 0; x < width; ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (!opaque(pixel))
                continue;
            if (bitsPerPixel == 24) {
                row[3 * x] = char(qBlue(pixel));
                row[3 * x + 1] = char(qGreen(pixel));
                row[3 * x + 2] = char(qRed(pixel));
            } else if (qGray(pixel) >= 128) {
                row[x / 8] = char(row[x / 8] | (0x80 >> (x % 8)));
            }
        }
        out.writeRawData(row.constData(), int(row.size()));
    }
    for (int y = height - 1; y >= 0; --y) {
        QByteArray row(maskBytes, '\0');
        for (int x = 0; x < width; ++x) {
            if (!opaque(image.pixel(x, y)))
                row[x / 8] = char(row[x / 8] | (0x80 >> (x % 8)));
        }
        out.writeRawData(row.constData(), int(row.size()));
    }
    return data;
}

} // namespace IconFile
