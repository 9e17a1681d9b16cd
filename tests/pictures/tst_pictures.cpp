// Checks the pictures, icons and cursor committed under src/app/pictures, and
// the desktop files that refer to them, byte by byte and as Qt decodes them.

#include "../support/imagecompare.h"

#include <QtTest>

#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QSettings>

namespace {

QString picturePath(const QString &name)
{
    return QStringLiteral(QUILLMERE_SOURCE_DIR "/src/app/pictures/") + name;
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

// Little-endian unsigned value of bytes bytes at at; -1 past the end, so a
// short file fails the comparison instead of reading out of bounds.
qint64 littleEndian(const QByteArray &data, qsizetype at, int bytes)
{
    if (at < 0 || at + bytes > data.size())
        return -1;
    qint64 value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = value << 8 | quint8(data[at + i]);
    return value;
}

int bigEndian16(const QByteArray &data, qsizetype at)
{
    return at + 2 > data.size() ? -1 : quint8(data[at]) << 8 | quint8(data[at + 1]);
}

struct JpegSegment {
    quint8 marker;
    QByteArray payload;
};

// The marker segments from after SOI up to and including SOS, where the
// entropy-coded data begins.
QList<JpegSegment> jpegSegments(const QByteArray &data)
{
    QList<JpegSegment> segments;
    qsizetype at = 2;
    while (at + 4 <= data.size() && quint8(data[at]) == 0xff) {
        const quint8 marker = quint8(data[at + 1]);
        const int length = bigEndian16(data, at + 2);
        if (length < 2)
            break;
        segments.append({marker, data.mid(at + 4, length - 2)});
        if (marker == 0xda)
            break;
        at += 2 + length;
    }
    return segments;
}

bool isStartOfFrame(quint8 marker)
{
    // C4 (Huffman tables), C8 (reserved) and CC (arithmetic conditioning) share the range.
    return marker >= 0xc0 && marker <= 0xcf && marker != 0xc4 && marker != 0xc8 && marker != 0xcc;
}

bool isWhiteish(QRgb pixel)
{
    return qRed(pixel) >= 240 && qGreen(pixel) >= 240 && qBlue(pixel) >= 240;
}

bool isDarkGrey(QRgb pixel)
{
    const int spread = std::max({qRed(pixel), qGreen(pixel), qBlue(pixel)})
            - std::min({qRed(pixel), qGreen(pixel), qBlue(pixel)});
    return qGray(pixel) < 110 && spread < 24;
}

bool isMauve(QRgb pixel)
{
    return qBlue(pixel) > qGreen(pixel) + 30 && qRed(pixel) > qGreen(pixel) + 15;
}

int countIn(const QImage &image, const QRect &area, bool (*test)(QRgb))
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x)
            count += test(image.pixel(x, y)) ? 1 : 0;
    }
    return count;
}

// A picture file, or with "#N" after its name the Nth image of an icon file, as Qt decodes it.
QImage decodedPicture(const QString &name)
{
    const qsizetype hash = name.indexOf(u'#');
    QImageReader reader(picturePath(name.left(hash)));
    if (hash >= 0 && !reader.jumpToImage(name.mid(hash + 1).toInt()))
        return {};
    return reader.read();
}

// One image of an icon or cursor file with its DIB laid out as the file says.
struct IconImage {
    qsizetype offset = 0;
    qsizetype bytes = 0;
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
    qsizetype colourOffset = 0;
    int colourStride = 0;
    qsizetype maskOffset = 0;
    int maskStride = 0;
};

IconImage iconImage(const QByteArray &file, int entry = 0)
{
    IconImage image;
    const qint64 offset = image.offset = littleEndian(file, 6 + 16 * entry + 12, 4);
    image.bytes = littleEndian(file, 6 + 16 * entry + 8, 4);
    image.width = int(littleEndian(file, offset + 4, 4));
    image.height = int(littleEndian(file, offset + 8, 4) / 2);
    image.bitsPerPixel = int(littleEndian(file, offset + 14, 2));
    const int paletteEntries = image.bitsPerPixel <= 8 ? 1 << image.bitsPerPixel : 0;
    image.colourOffset = offset + 40 + 4 * paletteEntries;
    image.colourStride = (image.width * image.bitsPerPixel + 31) / 32 * 4;
    image.maskOffset = image.colourOffset + qsizetype(image.colourStride) * image.height;
    image.maskStride = (image.width + 31) / 32 * 4;
    return image;
}

// Rows are stored bottom-up; a set AND bit lets the screen show through.
bool maskTransparent(const QByteArray &file, const IconImage &image, int x, int y)
{
    const qsizetype row = image.maskOffset + qsizetype(image.height - 1 - y) * image.maskStride;
    return littleEndian(file, row + x / 8, 1) & (0x80 >> (x % 8));
}

QRgb dibColour24(const QByteArray &file, const IconImage &image, int x, int y)
{
    const qsizetype at = image.colourOffset + qsizetype(image.height - 1 - y) * image.colourStride
            + 3 * x;
    return qRgb(int(littleEndian(file, at + 2, 1)), int(littleEndian(file, at + 1, 1)),
                int(littleEndian(file, at, 1)));
}

} // namespace

class tst_Pictures : public QObject
{
    Q_OBJECT

private slots:
    void jpegStructure_data();
    void jpegStructure();
    void jpegContent_data();
    void jpegContent();
    void largerPicturesAreTheSameDrawing_data();
    void largerPicturesAreTheSameDrawing();
    void iconFileHeaders_data();
    void iconFileHeaders();
    void windowIconFile();
    void windowIconDecodes();
    void cursorFile();
    void cursorHotSpotIsFingerTip();
    void desktopIcons_data();
    void desktopIcons();
    void desktopIconMatchesWindowIcon();
    void desktopEntry();
    void windowsResources();
};

void tst_Pictures::jpegStructure_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addRow("add") << QStringLiteral("add.jpg") << 102 << 66;
    QTest::addRow("join") << QStringLiteral("join.jpg") << 109 << 60;
    QTest::addRow("add, twice the size") << QStringLiteral("add@2x.jpg") << 204 << 132;
    QTest::addRow("join, twice the size") << QStringLiteral("join@2x.jpg") << 218 << 120;
}

void tst_Pictures::jpegStructure()
{
    QFETCH(QString, fileName);
    QFETCH(int, width);
    QFETCH(int, height);

    const QByteArray data = contents(picturePath(fileName));
    QVERIFY2(data.size() > 4, qPrintable(fileName));
    QCOMPARE(bigEndian16(data, 0), 0xffd8);
    QCOMPARE(bigEndian16(data, data.size() - 2), 0xffd9);

    const QList<JpegSegment> segments = jpegSegments(data);
    QVERIFY(!segments.isEmpty());
    QCOMPARE(segments.last().marker, quint8(0xda));

    // JFIF wants its APP0 straight after SOI.
    QCOMPARE(segments.first().marker, quint8(0xe0));
    QCOMPARE(segments.first().payload.left(7), QByteArray("JFIF\0\x01\x01", 7));

    QList<JpegSegment> frames;
    for (const JpegSegment &segment : segments) {
        if (isStartOfFrame(segment.marker))
            frames.append(segment);
    }
    QCOMPARE(frames.size(), 1);
    QCOMPARE(frames.first().marker, quint8(0xc0)); // baseline, not progressive (C2)
    const QByteArray &frame = frames.first().payload;
    QCOMPARE(int(quint8(frame[0])), 8);
    QCOMPARE(bigEndian16(frame, 1), height);
    QCOMPARE(bigEndian16(frame, 3), width);
    QCOMPARE(int(quint8(frame[5])), 3);
}

void tst_Pictures::jpegContent_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QRect>("letters");
    QTest::addColumn<QRect>("drawing");
    // The Add picture has its folder at the left and its words at the right,
    // the Join picture the other way round.
    QTest::addRow("add") << QStringLiteral("add.jpg") << QSize(102, 66) << QRect(44, 0, 58, 66)
                         << QRect(0, 0, 42, 66);
    QTest::addRow("join") << QStringLiteral("join.jpg") << QSize(109, 60) << QRect(0, 0, 64, 60)
                          << QRect(66, 0, 43, 60);
    QTest::addRow("add, twice the size") << QStringLiteral("add@2x.jpg") << QSize(204, 132)
                                         << QRect(88, 0, 116, 132) << QRect(0, 0, 84, 132);
    QTest::addRow("join, twice the size") << QStringLiteral("join@2x.jpg") << QSize(218, 120)
                                          << QRect(0, 0, 128, 120) << QRect(132, 0, 86, 120);
}

void tst_Pictures::jpegContent()
{
    QFETCH(QString, fileName);
    QFETCH(QSize, size);
    QFETCH(QRect, letters);
    QFETCH(QRect, drawing);

    QImageReader reader(picturePath(fileName), "jpeg");
    const QImage image = reader.read().convertToFormat(QImage::Format_RGB32);
    QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));
    QCOMPARE(image.size(), size);

    const QRect whole = image.rect();
    for (const QPoint corner : {whole.topLeft(), whole.topRight(), whole.bottomLeft(),
                                whole.bottomRight()}) {
        QVERIFY2(isWhiteish(image.pixel(corner)),
                 qPrintable(QStringLiteral("corner %1,%2").arg(corner.x()).arg(corner.y())));
    }
    QVERIFY(countIn(image, whole, isWhiteish) > whole.width() * whole.height() / 2);

    // Outlined letters: dark grey on their side, none of the drawing's mauve;
    // the drawing: mauve on its side, and no letters.
    QVERIFY(countIn(image, letters, isDarkGrey) > 150);
    QCOMPARE(countIn(image, letters, isMauve), 0);
    QVERIFY(countIn(image, drawing, isMauve) > 300);
}

void tst_Pictures::largerPicturesAreTheSameDrawing_data()
{
    QTest::addColumn<QString>("smallName");
    QTest::addColumn<QString>("largeName");
    QTest::addColumn<qreal>("scale");
    QTest::addColumn<int>("meanDifference");
    QTest::addColumn<int>("farPercent");
    QTest::addRow("add") << QStringLiteral("add.jpg") << QStringLiteral("add@2x.jpg") << 2.0 << 12 << 1;
    QTest::addRow("join") << QStringLiteral("join.jpg") << QStringLiteral("join@2x.jpg") << 2.0 << 12 << 1;
    // The program files' icon at the sizes the window icon does not have. At 16 pixels the
    // drawing's lines stay one pixel wide and so weigh twice what they do at 32.
    QTest::addRow("program icon, 16 pixels") << QStringLiteral("quillmere-program.ico#0")
                                             << QStringLiteral("quillmere-32.png") << 2.0 << 32 << 3;
    QTest::addRow("program icon, 48 pixels") << QStringLiteral("quillmere-program.ico#2")
                                             << QStringLiteral("quillmere-64.png") << 64.0 / 48 << 12 << 1;
}

// Shrunk to the size of the picture beside it, the larger picture matches it
// but for the softer edges of its finer drawing and the JPEG's noise.
void tst_Pictures::largerPicturesAreTheSameDrawing()
{
    QFETCH(QString, smallName);
    QFETCH(QString, largeName);
    QFETCH(qreal, scale);
    QFETCH(int, meanDifference);
    QFETCH(int, farPercent);
    // Premultiplied, so that a see-through pixel of an icon counts as black whatever its colour.
    const QImage small = decodedPicture(smallName).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage large = decodedPicture(largeName).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QVERIFY(!small.isNull() && !large.isNull());
    QCOMPARE(large.size(), small.size() * scale);
    const QImage shrunk = large.scaled(small.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);

    qint64 difference = 0;
    int far = 0;
    for (int y = 0; y < small.height(); ++y) {
        for (int x = 0; x < small.width(); ++x) {
            const QRgb a = small.pixel(x, y);
            const QRgb b = shrunk.pixel(x, y);
            const int d = std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                                    std::abs(qBlue(a) - qBlue(b)), std::abs(qAlpha(a) - qAlpha(b))});
            difference += d;
            far += d > 128 ? 1 : 0;
        }
    }
    const qint64 pixels = qint64(small.width()) * small.height();
    QVERIFY2(difference < pixels * meanDifference, qPrintable(QString::number(double(difference) / pixels)));
    QVERIFY2(far < pixels * farPercent / 100, qPrintable(QString::number(far)));
}

void tst_Pictures::iconFileHeaders_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("bitsPerPixel");
    QTest::addColumn<int>("paletteEntries");
    QTest::addRow("window icon") << QStringLiteral("quillmere.ico") << 1 << 24 << 0;
    QTest::addRow("hand cursor") << QStringLiteral("HAND-M.CUR") << 2 << 1 << 2;
}

void tst_Pictures::iconFileHeaders()
{
    QFETCH(QString, fileName);
    QFETCH(int, type);
    QFETCH(int, bitsPerPixel);
    QFETCH(int, paletteEntries);

    const QByteArray file = contents(picturePath(fileName));
    QCOMPARE(littleEndian(file, 0, 2), 0);
    QCOMPARE(littleEndian(file, 2, 2), type);
    QCOMPARE(littleEndian(file, 4, 2), 1); // one image

    QCOMPARE(littleEndian(file, 6, 1), 32);
    QCOMPARE(littleEndian(file, 7, 1), 32);
    QCOMPARE(littleEndian(file, 8, 1), paletteEntries);
    QCOMPARE(littleEndian(file, 18, 4), 22);
    QCOMPARE(littleEndian(file, 14, 4), file.size() - 22);

    QCOMPARE(littleEndian(file, 22, 4), 40);
    QCOMPARE(littleEndian(file, 26, 4), 32);
    QCOMPARE(littleEndian(file, 30, 4), 64); // colour rows and mask rows
    QCOMPARE(littleEndian(file, 34, 2), 1);
    QCOMPARE(littleEndian(file, 36, 2), bitsPerPixel);
    QCOMPARE(littleEndian(file, 38, 4), 0); // uncompressed

    // The file ends where the mask does: nothing missing, nothing extra.
    const IconImage image = iconImage(file);
    QCOMPARE(image.maskOffset + qsizetype(image.maskStride) * image.height, file.size());
}

void tst_Pictures::windowIconFile()
{
    const QByteArray file = contents(picturePath(QStringLiteral("quillmere.ico")));
    // An icon's entry names its planes and depth where a cursor's has its hot spot.
    QCOMPARE(littleEndian(file, 10, 2), 1);
    QCOMPARE(littleEndian(file, 12, 2), 24);

    const IconImage image = iconImage(file);
    for (const QPoint corner : {QPoint(0, 0), QPoint(31, 0), QPoint(0, 31), QPoint(31, 31)}) {
        QVERIFY(maskTransparent(file, image, corner.x(), corner.y()));
        QCOMPARE(dibColour24(file, image, corner.x(), corner.y()), qRgb(0, 0, 0));
    }
    QVERIFY(!maskTransparent(file, image, 16, 16));

    // A red dispenser: among the opaque pixels, red ones are common.
    int opaque = 0;
    int red = 0;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            if (maskTransparent(file, image, x, y)) {
                QCOMPARE(dibColour24(file, image, x, y), qRgb(0, 0, 0));
                continue;
            }
            ++opaque;
            const QRgb colour = dibColour24(file, image, x, y);
            if (qRed(colour) > 2 * qGreen(colour) + 40 && qRed(colour) > 2 * qBlue(colour) + 40)
                ++red;
        }
    }
    QVERIFY2(opaque > 32 * 32 / 3 && opaque < 32 * 32 * 9 / 10, qPrintable(QString::number(opaque)));
    QVERIFY2(red > opaque / 4, qPrintable(QString::number(red)));
}

void tst_Pictures::windowIconDecodes()
{
    const QString path = picturePath(QStringLiteral("quillmere.ico"));
    QImageReader reader(path, "ico");
    QCOMPARE(reader.imageCount(), 1);
    const QImage image = reader.read();
    QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));
    QCOMPARE(image.size(), QSize(32, 32));

    // Qt 6.4 drops the mask of 24-bit icons, so only the colours are compared.
    const QByteArray file = contents(path);
    const IconImage stored = iconImage(file);
    for (const QPoint point : {QPoint(16, 16), QPoint(10, 24), QPoint(12, 10)}) {
        QCOMPARE(QColor(image.pixel(point)).rgb(),
                 dibColour24(file, stored, point.x(), point.y()));
    }
}

void tst_Pictures::cursorFile()
{
    const QByteArray file = contents(picturePath(QStringLiteral("HAND-M.CUR")));
    QCOMPARE(littleEndian(file, 62, 4), 0x000000); // palette: black, then white
    QCOMPARE(littleEndian(file, 66, 4), 0xffffff);

    QImageReader reader(picturePath(QStringLiteral("HAND-M.CUR")), "cur");
    const QImage decoded = reader.read().convertToFormat(QImage::Format_ARGB32);
    QVERIFY2(!decoded.isNull(), qPrintable(reader.errorString()));
    QCOMPARE(decoded.size(), QSize(32, 32));
    for (const QPoint corner : {QPoint(0, 0), QPoint(31, 0), QPoint(0, 31), QPoint(31, 31)})
        QCOMPARE(qAlpha(decoded.pixel(corner)), 0);
    // Only white, black and see-through: a plain pointer on any background.
    int white = 0;
    int black = 0;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const QRgb pixel = decoded.pixel(x, y);
            if (qAlpha(pixel) == 0)
                continue;
            QCOMPARE(qAlpha(pixel), 255);
            QVERIFY(pixel == qRgb(255, 255, 255) || pixel == qRgb(0, 0, 0));
            ++(pixel == qRgb(0, 0, 0) ? black : white);
        }
    }
    QVERIFY2(white > 100 && black > 50, qPrintable(QStringLiteral("%1 %2").arg(white).arg(black)));
}

void tst_Pictures::cursorHotSpotIsFingerTip()
{
    const QString path = picturePath(QStringLiteral("HAND-M.CUR"));
    const QByteArray file = contents(path);
    const QPoint hotSpot(int(littleEndian(file, 10, 2)), int(littleEndian(file, 12, 2)));
    QVERIFY(QRect(0, 0, 32, 32).contains(hotSpot));

    QImageReader reader(path, "cur");
    const QImage hand = reader.read().convertToFormat(QImage::Format_ARGB32);
    QVERIFY(!hand.isNull());

    // The tip: the hot spot is on the outline at the very top of the hand,
    // with the white finger just below it.
    QCOMPARE(hand.pixel(hotSpot), qRgb(0, 0, 0));
    QVERIFY(hotSpot.y() < 8);
    for (int y = 0; y < hotSpot.y(); ++y) {
        for (int x = 0; x < 32; ++x)
            QCOMPARE(qAlpha(hand.pixel(x, y)), 0);
    }
    QCOMPARE(hand.pixel(hotSpot + QPoint(0, 2)), qRgb(255, 255, 255));
    // A finger, not the edge of a wide shape: outline on both sides below the tip.
    const int below = hotSpot.y() + 3;
    QCOMPARE(hand.pixel(hotSpot.x() - 2, below), qRgb(0, 0, 0));
    QCOMPARE(hand.pixel(hotSpot.x() + 2, below), qRgb(0, 0, 0));
    QCOMPARE(qAlpha(hand.pixel(hotSpot.x() - 4, below)), 0);
    QCOMPARE(qAlpha(hand.pixel(hotSpot.x() + 4, below)), 0);
}

void tst_Pictures::desktopIcons_data()
{
    QTest::addColumn<int>("size");
    for (int size : {32, 64, 128, 256})
        QTest::addRow("%d", size) << size;
}

void tst_Pictures::desktopIcons()
{
    QFETCH(int, size);
    const QString path = picturePath(QStringLiteral("quillmere-%1.png").arg(size));
    QImageReader reader(path, "png");
    const QImage image = reader.read().convertToFormat(QImage::Format_ARGB32);
    QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));
    QCOMPARE(image.size(), QSize(size, size));
    QVERIFY(image.hasAlphaChannel());

    const int last = size - 1;
    for (const QPoint corner : {QPoint(0, 0), QPoint(last, 0), QPoint(0, last), QPoint(last, last)})
        QCOMPARE(qAlpha(image.pixel(corner)), 0);
    QCOMPARE(qAlpha(image.pixel(size / 2, size / 2)), 255);

    // Real alpha: the antialiased edge leaves partly covered pixels.
    int partial = 0;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const int alpha = qAlpha(image.pixel(x, y));
            partial += alpha > 0 && alpha < 255 ? 1 : 0;
        }
    }
    QVERIFY(partial > size);
}

void tst_Pictures::desktopIconMatchesWindowIcon()
{
    // Both come from one drawing at 32 pixels; the icon's mask is the PNG's
    // alpha cut at one half.
    const QByteArray file = contents(picturePath(QStringLiteral("quillmere.ico")));
    const IconImage stored = iconImage(file);
    const QImage png = QImage(picturePath(QStringLiteral("quillmere-32.png")))
                               .convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(png.size(), QSize(32, 32));
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const bool opaque = qAlpha(png.pixel(x, y)) >= 128;
            QVERIFY2(opaque == !maskTransparent(file, stored, x, y),
                     qPrintable(QStringLiteral("pixel %1,%2").arg(x).arg(y)));
        }
    }

    // The program files' icon holds the window icon's very image at 32 pixels, and the desktop
    // icon's picture at 256. What Windows reads of its directory, tst_programfiles checks.
    const QByteArray program = contents(picturePath(QStringLiteral("quillmere-program.ico")));
    const IconImage programImage = iconImage(program, 1);
    QCOMPARE(program.mid(programImage.offset, programImage.bytes), file.mid(stored.offset, stored.bytes));
    const QString difference = imageDifference(decodedPicture(QStringLiteral("quillmere-program.ico#3")),
                                               QImage(picturePath(QStringLiteral("quillmere-256.png"))));
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

void tst_Pictures::desktopEntry()
{
    const QString path = QStringLiteral(QUILLMERE_SOURCE_DIR "/src/app/quillmere.desktop");
    QVERIFY(QFile::exists(path));
    QSettings entry(path, QSettings::IniFormat);
    entry.beginGroup(QStringLiteral("Desktop Entry"));
    QCOMPARE(entry.value(QStringLiteral("Type")).toString(), QStringLiteral("Application"));
    QCOMPARE(entry.value(QStringLiteral("Name")).toString(), QStringLiteral("Quillmere"));
    // "Open with" hands the chosen files over as arguments.
    QCOMPARE(entry.value(QStringLiteral("Exec")).toString(), QStringLiteral("quillmere %F"));
    QCOMPARE(entry.value(QStringLiteral("Terminal")).toString(), QStringLiteral("false"));
    QVERIFY(!entry.value(QStringLiteral("Comment")).toString().isEmpty());
    // The theme looks the icon up by this name among the installed PNGs.
    QCOMPARE(entry.value(QStringLiteral("Icon")).toString(), QStringLiteral("quillmere"));
    QVERIFY(QFile::exists(picturePath(QStringLiteral("quillmere-256.png"))));

    // QSettings reads "Utility;" as a list; the raw line is what desktops parse.
    const QByteArray raw = contents(path);
    QVERIFY(raw.startsWith("[Desktop Entry]\n"));
    QVERIFY(raw.contains("\nCategories=Utility;\n"));
    QVERIFY(raw.contains("\nMimeType=text/csv;text/plain;\n"));
}

void tst_Pictures::windowsResources()
{
    const QString appDir = QStringLiteral(QUILLMERE_SOURCE_DIR "/src/app/");
    const QByteArray script = contents(appDir + QStringLiteral("quillmere.rc"));
    QVERIFY(script.contains("IDI_ICON1 ICON \"pictures/quillmere-program.ico\""));
    QVERIFY(script.contains("1 24 \"quillmere.manifest\""));
    QVERIFY(script.contains("#define PROGRAM_FILE \"quillmere.exe\""));
    QVERIFY(script.contains("#include \"versioninfo.rc\""));
    const QByteArray version = contents(appDir + QStringLiteral("versioninfo.rc"));
    QVERIFY(version.contains("FILEVERSION     1,0,0,0"));
    for (const char *value : {"\"ProductName\",      \"Quillmere\"",
                              "\"FileVersion\",      \"1.00\"",
                              "\"ProductVersion\",   \"1.00\"",
                              "\"OriginalFilename\", PROGRAM_FILE"}) {
        QVERIFY2(version.contains(value), value);
    }
    QVERIFY(QFile::exists(appDir + QStringLiteral("pictures/quillmere-program.ico")));

    const QByteArray manifest = contents(appDir + QStringLiteral("quillmere.manifest"));
    QVERIFY(manifest.contains(">UTF-8</activeCodePage>"));
    QVERIFY(manifest.contains(">PerMonitorV2</dpiAwareness>"));
    QVERIFY(manifest.contains("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""));
}

QTEST_GUILESS_MAIN(tst_Pictures)
#include "tst_pictures.moc"
