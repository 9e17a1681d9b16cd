#pragma once

#include <QImage>
#include <QString>

#include <cstdlib>

// Pictures that Qt converts between pixel formats come back with channels that may differ by one
// step from one processor to the next: its conversions round differently in their SIMD paths.
// Compared premultiplied, as Qt keeps them, one step per channel covers that and nothing more.

/** Empty when @p actual and @p expected match within @p tolerance per channel; else where not. */
inline QString imageDifference(const QImage &actual, const QImage &expected, int tolerance = 1)
{
    if (actual.size() != expected.size())
        return QStringLiteral("size %1x%2, expected %3x%4")
            .arg(actual.width()).arg(actual.height()).arg(expected.width()).arg(expected.height());
    const QImage a = actual.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage e = expected.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = e.pixel(x, y);
            if (std::abs(qRed(p) - qRed(q)) > tolerance || std::abs(qGreen(p) - qGreen(q)) > tolerance
                || std::abs(qBlue(p) - qBlue(q)) > tolerance || std::abs(qAlpha(p) - qAlpha(q)) > tolerance)
                return QStringLiteral("pixel (%1,%2) is %3, expected %4")
                    .arg(x).arg(y).arg(p, 8, 16, QLatin1Char('0')).arg(q, 8, 16, QLatin1Char('0'));
        }
    }
    return {};
}
