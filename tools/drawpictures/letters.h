#pragma once

#include <QColor>
#include <QPoint>
#include <QStringView>

class QPainter;

// Blocky, soft-cornered capitals drawn as one-pixel outlines, for the button
// pictures. Only the letters those pictures need are designed.
namespace Letters {

constexpr int Height = 22;

int textWidth(QStringView text);

// Draws text with its top-left pixel at topLeft; the letters' insides are
// filled with fill so they stay clean over any background.
void drawText(QPainter &painter, QPoint topLeft, QStringView text, const QColor &outline,
              const QColor &fill = Qt::white);

} // namespace Letters
