#include "picture.h"

#include "iconfile.h"
#include "runtimeerror.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>

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

Picture loadIconFile(const QByteArray &data, const QString &path)
{
    IconFile file(data);
    const QString damaged = file.kind() == IconFile::Cursor ? tr("The cursor file is damaged: %1")
                                                            : tr("The icon file is damaged: %1");
    if (!file.isValid())
        fail(path, damaged.arg(file.error()));
    const qsizetype chosen = file.preferredEntry();
    const QImage image = file.image(chosen);
    if (image.isNull())
        fail(path, damaged.arg(file.error()));
    if (file.kind() != IconFile::Cursor)
        return Picture(QPixmap::fromImage(image));

    const QPoint hotSpot = file.entries().at(chosen).hotSpot;
    return Picture(QPixmap::fromImage(image),
                   QPoint(qMin(hotSpot.x(), image.width() - 1), qMin(hotSpot.y(), image.height() - 1)));
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

    if (IconFile::recognises(data))
        return loadIconFile(data, path);

    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QImage image = reader.read();
    if (image.isNull())
        fail(path, tr("The file is not a picture"));
    return Picture(QPixmap::fromImage(image));
}
