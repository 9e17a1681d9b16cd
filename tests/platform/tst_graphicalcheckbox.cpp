#include "graphicalcheckbox.h"

#include <QSignalSpy>
#include <QTest>

class tst_GraphicalCheckBox : public QObject
{
    Q_OBJECT

private slots:
    void startsReleased();
    void userClickPressesAndRaisesClick();
    void spaceBarClicksToo();
    void programChangeRaisesClickNested();
    void unchangedValueRaisesNothing();
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

QTEST_MAIN(tst_GraphicalCheckBox)
#include "tst_graphicalcheckbox.moc"
