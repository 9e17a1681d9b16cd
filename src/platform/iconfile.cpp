#include "iconfile.h"

#include <QCoreApplication>
#include <QtEndian>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("IconFile", text);
}

quint16 word(const QByteArray &data, qsizetype offset)
{
    return qFromLittleEndian<quint16>(data.constData() + offset);
}

quint32 dword(const QByteArray &data, qsizetype offset)
{
    return qFromLittleEndian<quint32>(data.constData() + offset);
}

constexpr qsizetype DirectorySize = 6;
constexpr qsizetype EntrySize = 16;
constexpr qsizetype InfoHeaderSize = 40;
constexpr int MaximumSide = 256;

qsizetype stride(int width, int bitsPerPixel)
{
    return (qsizetype(width) * bitsPerPixel + 31) / 32 * 4;
}

} // namespace

bool IconFile::recognises(const QByteArray &data)
{
    return data.size() >= DirectorySize && word(data, 0) == 0 && (word(data, 2) == Icon || word(data, 2) == Cursor);
}

IconFile::IconFile(const QByteArray &data) : m_data(data)
{
    if (!recognises(data)) {
        m_error = tr("it is neither an icon nor a cursor file");
        return;
    }
    m_kind = Kind(word(data, 2));
    const int count = word(data, 4);
    if (count == 0 || data.size() < DirectorySize + count * EntrySize) {
        m_error = tr("its directory is incomplete");
        return;
    }
    for (int i = 0; i < count; ++i) {
        const qsizetype at = DirectorySize + i * EntrySize;
        Entry entry;
        // A side of 0 stands for 256.
        entry.size = QSize(quint8(data[at]) ? quint8(data[at]) : 256, quint8(data[at + 1]) ? quint8(data[at + 1]) : 256);
        if (m_kind == Cursor)
            entry.hotSpot = QPoint(word(data, at + 4), word(data, at + 6));
        entry.bytes = dword(data, at + 8);
        entry.offset = dword(data, at + 12);
        if (entry.bytes == 0 || entry.offset > data.size() || entry.bytes > data.size() - entry.offset) {
            m_error = tr("an image lies outside the file");
            return;
        }
        m_entries.append(entry);
    }
}

qsizetype IconFile::preferredEntry() const
{
    qsizetype chosen = -1;
    for (qsizetype i = 0; i < m_entries.size(); ++i) {
        const QSize size = m_entries.at(i).size;
        if (size == QSize(32, 32))
            return i;
        if (chosen < 0 || size.width() > m_entries.at(chosen).size.width())
            chosen = i;
    }
    return chosen;
}

QImage IconFile::image(qsizetype index)
{
    if (!isValid() || index < 0 || index >= m_entries.size())
        return QImage();
    const Entry &entry = m_entries.at(index);
    const QByteArray bitmap = m_data.mid(entry.offset, entry.bytes);
    if (bitmap.startsWith("\x89PNG")) {
        QImage image = QImage::fromData(bitmap, "PNG");
        if (image.isNull())
            m_error = tr("its PNG image cannot be read");
        return image;
    }
    return readBitmap(bitmap);
}

// A device-independent bitmap of twice the image's height: the colours, rows
// from the bottom up, then a one-bit mask in which a set bit is transparent.
QImage IconFile::readBitmap(const QByteArray &bitmap)
{
    if (bitmap.size() < InfoHeaderSize || dword(bitmap, 0) < InfoHeaderSize) {
        m_error = tr("an image header is damaged");
        return QImage();
    }
    const qsizetype headerSize = dword(bitmap, 0);
    const int width = qint32(dword(bitmap, 4));
    const int height = qint32(dword(bitmap, 8)) / 2;
    const int bits = word(bitmap, 14);
    const quint32 compression = dword(bitmap, 16);
    const quint32 colorsUsed = dword(bitmap, 32);
    if (width <= 0 || width > MaximumSide || height <= 0 || height > MaximumSide || compression != 0
        || !(bits == 1 || bits == 4 || bits == 8 || bits == 24 || bits == 32) || headerSize > bitmap.size()) {
        m_error = tr("an image header is damaged");
        return QImage();
    }

    const qsizetype paletteSize = bits <= 8 ? (colorsUsed && colorsUsed < (1u << bits) ? colorsUsed : 1u << bits) : 0;
    const qsizetype colorsAt = headerSize + paletteSize * 4;
    const qsizetype maskAt = colorsAt + stride(width, bits) * height;
    const qsizetype end = maskAt + stride(width, 1) * height;
    if (end > bitmap.size()) {
        m_error = tr("an image is cut short");
        return QImage();
    }

    QImage image(width, height, QImage::Format_ARGB32);
    const auto *data = reinterpret_cast<const uchar *>(bitmap.constData());
    bool anyAlpha = false;
    for (int y = 0; y < height; ++y) {
        const uchar *row = data + colorsAt + stride(width, bits) * (height - 1 - y);
        auto *out = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            if (bits == 32) {
                const uchar *p = row + x * 4;
                out[x] = qRgba(p[2], p[1], p[0], p[3]);
                anyAlpha = anyAlpha || p[3] != 0;
            } else if (bits == 24) {
                const uchar *p = row + x * 3;
                out[x] = qRgb(p[2], p[1], p[0]);
            } else {
                const int perByte = 8 / bits;
                const int shift = 8 - bits * (x % perByte + 1);
                const qsizetype color = (row[x / perByte] >> shift) & ((1 << bits) - 1);
                if (color >= paletteSize) {
                    m_error = tr("an image uses a colour it does not have");
                    return QImage();
                }
                const uchar *p = data + headerSize + color * 4;
                out[x] = qRgb(p[2], p[1], p[0]);
            }
        }
    }

    // A 32-bit image with alpha of its own needs no mask.
    if (!anyAlpha) {
        for (int y = 0; y < height; ++y) {
            const uchar *row = data + maskAt + stride(width, 1) * (height - 1 - y);
            auto *out = reinterpret_cast<QRgb *>(image.scanLine(y));
            for (int x = 0; x < width; ++x) {
                if (row[x / 8] & (0x80 >> (x % 8)))
                    out[x] = qRgba(0, 0, 0, 0);
            }
        }
    }
    return image;
}
