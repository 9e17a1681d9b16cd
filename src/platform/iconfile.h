#pragma once

#include <QImage>
#include <QList>
#include <QPoint>
#include <QString>

/// Icon and cursor files: a directory of images, each a bitmap with a
/// transparency mask (or a PNG), and for a cursor its hot spot.
///
/// Qt's own icon reader takes a 24-bit image as opaque and ignores its mask;
/// this reader honours the mask at every depth.
class IconFile
{
public:
    enum Kind { Icon = 1, Cursor = 2 };

    struct Entry
    {
        QSize size;
        QPoint hotSpot; // cursors only
        qsizetype offset = 0;
        qsizetype bytes = 0;
    };

    /// Whether the data starts like an icon or a cursor file.
    static bool recognises(const QByteArray &data);

    /// Reads the directory; on failure error() says why.
    explicit IconFile(const QByteArray &data);

    bool isValid() const { return m_error.isEmpty(); }
    QString error() const { return m_error; }
    Kind kind() const { return m_kind; }
    const QList<Entry> &entries() const { return m_entries; }
    /// The entry nearest to a standard 32 x 32 image, else the largest.
    qsizetype preferredEntry() const;

    /// The entry's image with its transparency; a null image on failure,
    /// error() then says why.
    QImage image(qsizetype index);

private:
    QImage readBitmap(const QByteArray &bitmap);

    QByteArray m_data;
    Kind m_kind = Icon;
    QList<Entry> m_entries;
    QString m_error;
};
