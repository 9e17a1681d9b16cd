#include "iconfile.h"

#include <QBuffer>
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

QByteArray png(const QImage &image)
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return data;
}

// A bitmap of twice the image's height: the colours, then the transparency mask.
QByteArray dib(const QImage &image, int bitsPerPixel)
{
    const int width = image.width();
    const int height = image.height();
    const int colourBytes = rowBytes(width, bitsPerPixel);
    const int maskBytes = rowBytes(width, 1);
    const int paletteEntries = bitsPerPixel == 1 ? 2 : 0;
    const quint32 pixelDataSize = quint32((colourBytes + maskBytes) * height);

    QByteArray data;
    QDataStream out(&data, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    // The DIB's height counts the colour rows and the mask rows together.
    out << quint32(InfoHeaderSize) << qint32(width) << qint32(2 * height) << quint16(1)
        << quint16(bitsPerPixel) << quint32(0) << pixelDataSize << qint32(0) << qint32(0)
        << quint32(paletteEntries) << quint32(0);
    if (bitsPerPixel == 1)
        out << quint32(0x00000000) << quint32(0x00ffffff);

    // Both bitmaps run bottom-up. Without an alpha channel a transparent pixel
    // is black in the colour bitmap, so that the screen's AND-then-XOR leaves
    // the background as it is.
    for (int y = height - 1; y >= 0; --y) {
        QByteArray row(colourBytes, '\0');
        for (int x = 0; x < width; ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (bitsPerPixel == 32) {
                row[4 * x] = char(qBlue(pixel));
                row[4 * x + 1] = char(qGreen(pixel));
                row[4 * x + 2] = char(qRed(pixel));
                row[4 * x + 3] = char(qAlpha(pixel));
            } else if (!opaque(pixel)) {
                continue;
            } else if (bitsPerPixel == 24) {
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

} // namespace

QByteArray encode(const QList<Image> &images, Kind kind, QPoint hotSpot)
{
    QList<QByteArray> stored;
    for (const Image &entry : images) {
        Q_ASSERT(entry.bitsPerPixel == 0 || entry.bitsPerPixel == 1 || entry.bitsPerPixel == 24
                 || entry.bitsPerPixel == 32);
        Q_ASSERT(entry.image.width() <= 256 && entry.image.height() <= 256);
        // Straight (not premultiplied) alpha: an edge pixel keeps the full colour
        // of the shape it belongs to instead of fading towards black.
        const QImage image = entry.image.convertToFormat(QImage::Format_ARGB32);
        stored.append(entry.bitsPerPixel == 0 ? png(image) : dib(image, entry.bitsPerPixel));
    }

    QByteArray data;
    QDataStream out(&data, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out << quint16(0) << quint16(kind) << quint16(images.size());

    quint32 offset = quint32(DirectorySize + EntrySize * images.size());
    for (qsizetype i = 0; i < images.size(); ++i) {
        const QImage &image = images.at(i).image;
        const int bitsPerPixel = images.at(i).bitsPerPixel;
        // A side of 256 is stored as 0.
        out << quint8(image.width() & 0xff) << quint8(image.height() & 0xff)
            << quint8(bitsPerPixel == 1 ? 2 : 0) << quint8(0);
        if (kind == Kind::Cursor)
            out << quint16(hotSpot.x()) << quint16(hotSpot.y());
        else
            out << quint16(1) << quint16(bitsPerPixel == 0 ? 32 : bitsPerPixel);
        out << quint32(stored.at(i).size()) << offset;
        offset += quint32(stored.at(i).size());
    }
    for (const QByteArray &image : stored)
        out.writeRawData(image.constData(), int(image.size()));
    return data;
}

} // namespace IconFile
