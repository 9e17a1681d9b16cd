#include "picture.h"

#include "runtimeerror.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QtEndian>

namespace {

// Pictures of the program's own are a few kilobytes; anything beyond this is
// not worth reading whole to find out it is no picture.
constexpr qint64 MaximumPictureBytes = 64 * 1024 * 1024;

QString tr(const char *text)
{
    return QCoreApplication::translate("LoadPicture", text);
}

[[noreturn]] void fail(const QString &path, const QString &reason)
{
    throw RuntimeError(tr("Cannot load picture %1:\n%2.").arg(QDir::toNativeSeparators(path), reason));
}

quint16 word(const QByteArray &data, qsizetype offset)
{
    return qFromLittleEndian<quint16>(data.constData() + offset);
}

quint32 dword(const QByteArray &data, qsizetype offset)
{
    return qFromLittleEndian<quint32>(data.constData() + offset);
}

// A cursor file is an icon directory of type 2 whose entries hold the hot
// spot where an icon's entries hold planes and bit count.
bool isCursorFile(const QByteArray &data)
{
    return data.size() >= 6 && word(data, 0) == 0 && word(data, 2) == 2;
}

Picture loadCursor(const QByteArray &data, const QString &path)
{
    constexpr qsizetype DirectorySize = 6;
    constexpr qsizetype EntrySize = 16;

    const int count = word(data, 4);
    if (count == 0 || data.size() < DirectorySize + count * EntrySize)
        fail(path, tr("The cursor file is damaged: its directory is incomplete"));

    // Prefer the standard 32 x 32 pointer; otherwise the largest image.
    int chosen = -1;
    int chosenSize = 0;
    for (int i = 0; i < count; ++i) {
        const qsizetype entry = DirectorySize + i * EntrySize;
        const int width = quint8(data[entry]) ? quint8(data[entry]) : 256;
        const quint32 bytes = dword(data, entry + 8);
        const quint32 offset = dword(data, entry + 12);
        if (bytes == 0 || offset > quint32(data.size()) || bytes > quint32(data.size()) - offset)
            fail(path, tr("The cursor file is damaged: an image lies outside the file"));
        if (chosen < 0 || (width == 32 && chosenSize != 32) || (chosenSize != 32 && width > chosenSize)) {
            chosen = i;
            chosenSize = width;
        }
    }

    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "cur");
    if (chosen > 0 && !reader.jumpToImage(chosen))
        fail(path, tr("The cursor file is damaged: its image %1 cannot be found").arg(chosen + 1));
    const QImage image = reader.read();
    if (image.isNull())
        fail(path, tr("The cursor file is damaged: %1").arg(reader.errorString()));

    const qsizetype entry = DirectorySize + chosen * EntrySize;
    const QPoint hotSpot(qMin<int>(word(data, entry + 4), image.width() - 1),
                         qMin<int>(word(data, entry + 6), image.height() - 1));
    return Picture(QPixmap::fromImage(image), hotSpot);
}

} // namespace

Picture LoadPicture(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        fail(path, file.errorString());
    if (file.size() > MaximumPictureBytes)
        fail(path, tr("The file is too large to be a picture"));
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        fail(path, file.errorString());

    if (isCursorFile(data))
        return loadCursor(data, path);

    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QImage image = reader.read();
    if (image.isNull())
        fail(path, tr("The file is not a picture"));
    return Picture(QPixmap::fromImage(image));
}
