#pragma once

#include <QCursor>
#include <QPixmap>
#include <QPoint>

class QString;

/// A picture loaded from a file. A picture from a cursor file carries the
/// cursor's hot spot, so that it points where the file says.
class Picture
{
public:
    Picture() = default;
    Picture(QPixmap pixmap, QPoint hotSpot) : m_pixmap(std::move(pixmap)), m_hotSpot(hotSpot) {}
    explicit Picture(QPixmap pixmap) : m_pixmap(std::move(pixmap)) {}

    bool isNull() const { return m_pixmap.isNull(); }
    QPixmap pixmap() const { return m_pixmap; }
    /// (-1, -1) for a picture that is not a cursor: the pointer's hot spot is then its centre.
    QPoint hotSpot() const { return m_hotSpot; }
    QCursor cursor() const { return QCursor(m_pixmap, m_hotSpot.x(), m_hotSpot.y()); }

private:
    QPixmap m_pixmap;
    QPoint m_hotSpot{-1, -1};
};

/// Loads a cursor file, an icon file or any image format Qt reads.
/// Throws RuntimeError, naming the file and the reason, when the file cannot
/// be read or holds no picture.
Picture LoadPicture(const QString &path);
