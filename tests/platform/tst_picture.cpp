#include "picture.h"
#include "runtimeerror.h"
#include "testfolder.h"

#include <QBuffer>
#include <QImage>
#include <QTest>
#include <QtEndian>

namespace {

void putWord(QByteArray &data, quint16 value)
{
    char bytes[2];
    qToLittleEndian(value, bytes);
    data.append(bytes, 2);
}

void putDword(QByteArray &data, quint32 value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    data.append(bytes, 4);
}

// A 32 x 32 cursor, 24 bits a pixel: black on a transparent ground except a
// white square around the hot spot.
QByteArray cursorFile(QPoint hotSpot, int imageCount = 1)
{
    const int size = 32;
    QByteArray image;
    putDword(image, 40);
    putDword(image, size);
    putDword(image, size * 2);
    putWord(image, 1);
    putWord(image, 24);
    putDword(image, 0);
    putDword(image, size * size * 3 + size * 4);
    for (int i = 0; i < 4; ++i)
        putDword(image, 0);
    for (int y = size - 1; y >= 0; --y) {
        for (int x = 0; x < size; ++x) {
            const bool white = qAbs(x - hotSpot.x()) < 3 && qAbs(y - hotSpot.y()) < 3;
            image.append(3, white ? char(0xFF) : char(0));
        }
    }
    for (int y = size - 1; y >= 0; --y) {
        // Opaque (mask bit 0) in the left half, transparent in the right.
        image.append(char(0x00)).append(char(0x00)).append(char(0xFF)).append(char(0xFF));
    }

    QByteArray file;
    putWord(file, 0);
    putWord(file, 2);
    putWord(file, quint16(imageCount));
    for (int i = 0; i < imageCount; ++i) {
        file.append(char(size)).append(char(size)).append(char(0)).append(char(0));
        putWord(file, quint16(hotSpot.x()));
        putWord(file, quint16(hotSpot.y()));
        putDword(file, quint32(image.size()));
        putDword(file, quint32(6 + 16 * imageCount + i * image.size()));
    }
    for (int i = 0; i < imageCount; ++i)
        file.append(image);
    return file;
}

} // namespace

class tst_Picture : public QObject
{
    Q_OBJECT

private slots:
    void cursorKeepsItsHotSpot_data();
    void cursorKeepsItsHotSpot();
    void otherPicturesPointAtTheirCentre();
    void noPictureThrows_data();
    void noPictureThrows();
};

void tst_Picture::cursorKeepsItsHotSpot_data()
{
    QTest::addColumn<QPoint>("hotSpot");
    QTest::addColumn<int>("images");
    QTest::addRow("top left") << QPoint(0, 0) << 1;
    QTest::addRow("finger tip") << QPoint(9, 2) << 1;
    QTest::addRow("bottom right") << QPoint(31, 31) << 1;
    QTest::addRow("two images") << QPoint(5, 4) << 2;
}

void tst_Picture::cursorKeepsItsHotSpot()
{
    QFETCH(QPoint, hotSpot);
    QFETCH(int, images);
    TestFolder dir;
    const Picture picture = LoadPicture(dir.write("HAND-M.CUR", cursorFile(hotSpot, images)));
    QCOMPARE(picture.pixmap().size(), QSize(32, 32));
    QCOMPARE(picture.hotSpot(), hotSpot);
    QCOMPARE(picture.cursor().hotSpot(), hotSpot);

    const QImage image = picture.pixmap().toImage();
    if (hotSpot.x() < 16)
        QCOMPARE(image.pixelColor(hotSpot).rgb(), qRgb(255, 255, 255));
    QCOMPARE(qAlpha(image.pixel(2, 20)), 255);
    QCOMPARE(qAlpha(image.pixel(28, 20)), 0);
}

void tst_Picture::otherPicturesPointAtTheirCentre()
{
    TestFolder dir;
    QImage image(16, 8, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QVERIFY(image.save(&buffer, "PNG"));

    const Picture picture = LoadPicture(dir.write("pointer.png", png));
    QCOMPARE(picture.pixmap().size(), QSize(16, 8));
    QCOMPARE(picture.hotSpot(), QPoint(-1, -1));
}

void tst_Picture::noPictureThrows_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("reason");

    const QByteArray cursor = cursorFile(QPoint(1, 1));
    QTest::addRow("empty file") << QByteArray() << "not a picture";
    QTest::addRow("text") << QByteArray("just some text\r\n") << "not a picture";
    QTest::addRow("cursor header only") << cursor.left(6) << "damaged";
    QTest::addRow("no images") << QByteArray::fromHex("000002000000") << "damaged";
    QTest::addRow("image cut short") << cursor.left(cursor.size() - 200) << "damaged";
    QByteArray scrambled = cursor;
    for (qsizetype i = 22; i < 62; ++i)
        scrambled[i] = char(0xEE);
    QTest::addRow("bitmap header scrambled") << scrambled << "damaged";
}

void tst_Picture::noPictureThrows()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, reason);
    TestFolder dir;
    const QString path = dir.write("HAND-M.CUR", content);
    try {
        LoadPicture(path);
        QFAIL("no error");
    } catch (const RuntimeError &error) {
        QVERIFY2(error.description().contains("HAND-M.CUR"), qPrintable(error.description()));
        QVERIFY2(error.description().contains(reason), qPrintable(error.description()));
    }
}

QTEST_MAIN(tst_Picture)
#include "tst_picture.moc"
