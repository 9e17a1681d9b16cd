#include "graphicalcheckbox.h"

#include <QImage>
#include <QPixmap>
#include <QSignalSpy>
#include <QTest>

namespace {

enum class Look { Released, HeldDown, Pressed };

// A button as the main window has it: white, with a picture smaller than it.
QImage drawn(Look look)
{
    GraphicalCheckBox box;
    QPalette palette = box.palette();
    palette.setColor(QPalette::Button, Qt::white);
    box.setPalette(palette);
    QPixmap picture(60, 30);
    picture.fill(Qt::red);
    box.setIcon(picture);
    box.setIconSize(picture.size());
    box.resize(129, 65);
    if (look == Look::HeldDown)
        box.setDown(true);
    if (look == Look::Pressed)
        box.setValue(1);
    return box.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

} // namespace

Q_DECLARE_METATYPE(Look)

class tst_GraphicalCheckBox : public QObject
{
    Q_OBJECT

private slots:
    void startsReleased();
    void userClickPressesAndRaisesClick();
    void spaceBarClicksToo();
    void programChangeRaisesClickNested();
    void unchangedValueRaisesNothing();
    void faceIsTheButtonColour_data();
    void faceIsTheButtonColour();
};

void tst_GraphicalCheckBox::startsReleased()
{
    GraphicalCheckBox box;
    QCOMPARE(box.Value(), 0);
}

void tst_GraphicalCheckBox::userClickPressesAndRaisesClick()
{
    GraphicalCheckBox box;
    box.resize(100, 50);
    QSignalSpy spy(&box, &GraphicalCheckBox::Click);
    QTest::mouseClick(&box, Qt::LeftButton);
    QCOMPARE(box.Value(), 1);
    QCOMPARE(spy.size(), 1);
    QTest::mouseClick(&box, Qt::LeftButton);
    QCOMPARE(box.Value(), 0);
    QCOMPARE(spy.size(), 2);
}

void tst_GraphicalCheckBox::spaceBarClicksToo()
{
    GraphicalCheckBox box;
    QSignalSpy spy(&box, &GraphicalCheckBox::Click);
    QTest::keyClick(&box, Qt::Key_Space);
    QCOMPARE(box.Value(), 1);
    QCOMPARE(spy.size(), 1);
}

void tst_GraphicalCheckBox::programChangeRaisesClickNested()
{
    GraphicalCheckBox box;
    QList<int> seen;
    bool assignmentReturned = false;
    connect(&box, &GraphicalCheckBox::Click, this, [&] {
        seen << box.Value();
        QVERIFY(!assignmentReturned);
    });
    box.setValue(1);
    assignmentReturned = true;
    // Raised during the assignment, already with the new value.
    QCOMPARE(seen, QList<int>{1});
    assignmentReturned = false;
    box.setValue(0);
    QCOMPARE(seen, (QList<int>{1, 0}));
}

void tst_GraphicalCheckBox::unchangedValueRaisesNothing()
{
    GraphicalCheckBox box;
    QSignalSpy spy(&box, &GraphicalCheckBox::Click);
    box.setValue(0);
    QCOMPARE(spy.size(), 0);
    box.setValue(1);
    box.setValue(1);
    QCOMPARE(spy.size(), 1);
}

void tst_GraphicalCheckBox::faceIsTheButtonColour_data()
{
    QTest::addColumn<Look>("look");
    QTest::addRow("released") << Look::Released;
    QTest::addRow("held down by the mouse") << Look::HeldDown;
    QTest::addRow("pressed by Value") << Look::Pressed;
}

// Around the picture the face is exactly the button's colour, pressed or
// not; pressed, it still looks pressed in.
void tst_GraphicalCheckBox::faceIsTheButtonColour()
{
    QFETCH(Look, look);
    const QImage image = drawn(look);
    const QRect whole = image.rect();
    QRect picture(0, 0, 60, 30);
    picture.moveCenter(whole.center());
    const QRect face = whole.adjusted(3, 3, -3, -3);
    const QRect covered = picture.adjusted(0, 0, 1, 1); // a sunken picture moves by one pixel

    int notWhite = 0;
    for (int y = face.top(); y <= face.bottom(); ++y) {
        for (int x = face.left(); x <= face.right(); ++x) {
            if (!covered.contains(x, y) && image.pixel(x, y) != qRgb(255, 255, 255))
                ++notWhite;
        }
    }
    QCOMPARE(notWhite, 0);
    QCOMPARE(image.pixel(whole.center()), qRgb(255, 0, 0));
    if (look != Look::Released)
        QVERIFY(image != drawn(Look::Released));
}

QTEST_MAIN(tst_GraphicalCheckBox)
#include "tst_graphicalcheckbox.moc"
