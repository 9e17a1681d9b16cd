#include "listbox.h"
#include "runtimeerror.h"

#include <QEventLoop>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace {

// Counts the events that reach a widget or any of its children while the
// event loop runs undisturbed for a while.
int eventsWithin(QWidget &widget, int milliseconds)
{
    struct Counter : QObject
    {
        QWidget *watched = nullptr;
        int count = 0;
        bool eventFilter(QObject *object, QEvent *event) override
        {
            for (QObject *o = object; o; o = o->parent()) {
                if (o == watched) {
                    ++count;
                    break;
                }
            }
            return QObject::eventFilter(object, event);
        }
    } counter;
    counter.watched = &widget;
    QCoreApplication::instance()->installEventFilter(&counter);
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
    QCoreApplication::instance()->removeEventFilter(&counter);
    return counter.count;
}

} // namespace

class tst_ListBox : public QObject
{
    Q_OBJECT

private slots:
    void entriesStayInTheOrderAdded();
    void removeItemMovesTheRestUp();
    void badIndexThrows_data();
    void badIndexThrows();
    void listIndexFollowsTheSelection();
    void scrollRangeFollowsTheExtentSent_data();
    void scrollRangeFollowsTheExtentSent();
    void extentOutlivesTheWidestEntry();
    void emptiedListIsIdle_data();
    void emptiedListIsIdle();
    void doubleClickAnywhereAmongTheEntries();
    void entriesAreDrawnAcrossTheExtent();
    void entriesAreDrawnBeforeAnyExtent();
};

static void fill(ListBox &list, const QStringList &entries)
{
    for (const QString &entry : entries)
        list.AddItem(entry);
}

void tst_ListBox::entriesStayInTheOrderAdded()
{
    ListBox list;
    fill(list, {"b", "a", "b", "C"});
    QCOMPARE(list.ListCount(), 4);
    QCOMPARE(list.List(0), QString("b"));
    QCOMPARE(list.List(1), QString("a"));
    QCOMPARE(list.List(2), QString("b"));
    QCOMPARE(list.List(3), QString("C"));
}

void tst_ListBox::removeItemMovesTheRestUp()
{
    ListBox list;
    fill(list, {"1", "2", "3", "4", "5"});
    list.RemoveItem(2);
    QCOMPARE(list.ListCount(), 4);
    QCOMPARE(list.List(2), QString("4"));
    QCOMPARE(list.List(3), QString("5"));
}

void tst_ListBox::badIndexThrows_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("index");
    QTest::addRow("empty list") << 0 << 0;
    QTest::addRow("-1") << 3 << -1;
    QTest::addRow("count") << 3 << 3;
}

void tst_ListBox::badIndexThrows()
{
    QFETCH(int, count);
    QFETCH(int, index);
    ListBox list;
    for (int i = 0; i < count; ++i)
        list.AddItem(QString::number(i));
    QVERIFY_THROWS_EXCEPTION(RuntimeError, list.RemoveItem(index));
    QVERIFY_THROWS_EXCEPTION(RuntimeError, list.List(index));
    QCOMPARE(list.ListCount(), count);
}

void tst_ListBox::listIndexFollowsTheSelection()
{
    ListBox list;
    QCOMPARE(list.ListIndex(), -1);
    fill(list, {"a", "b", "c"});
    QCOMPARE(list.ListIndex(), -1);
    list.setListIndex(1);
    QCOMPARE(list.ListIndex(), 1);
    list.RemoveItem(1);
    QCOMPARE(list.ListIndex(), -1);
    list.setListIndex(-1);
    QCOMPARE(list.ListIndex(), -1);
}

void tst_ListBox::scrollRangeFollowsTheExtentSent_data()
{
    QTest::addColumn<int>("extent");
    QTest::addColumn<QString>("entry");
    const QString longEntry = QString(300, u'W');
    QTest::addRow("no extent, long entry") << 0 << longEntry;
    QTest::addRow("narrow extent, long entry") << 100 << longEntry;
    QTest::addRow("wide extent, short entry") << 2000 << "a";
    QTest::addRow("wide extent, long entry") << 2000 << longEntry;
}

void tst_ListBox::scrollRangeFollowsTheExtentSent()
{
    QFETCH(int, extent);
    QFETCH(QString, entry);
    ListBox list;
    list.resize(393, 139);
    list.AddItem(entry);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));

    list.setHorizontalExtent(extent);
    QScrollBar *bar = list.horizontalScrollBar();
    QTRY_COMPARE(bar->maximum(), qMax(0, extent - list.viewport()->width()));
    QCOMPARE(bar->minimum(), 0);
}

void tst_ListBox::extentOutlivesTheWidestEntry()
{
    ListBox list;
    list.resize(393, 139);
    fill(list, {QString(200, u'W'), "short"});
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    list.setHorizontalExtent(1500);
    const int maximum = list.horizontalScrollBar()->maximum();
    QVERIFY(maximum > 0);

    list.RemoveItem(0);
    QCoreApplication::processEvents();
    QTRY_COMPARE(list.horizontalScrollBar()->maximum(), maximum);
    list.horizontalScrollBar()->setValue(maximum);
    QCOMPARE(list.horizontalScrollBar()->value(), maximum);
}

void tst_ListBox::emptiedListIsIdle_data()
{
    QTest::addColumn<int>("extent");
    QTest::addRow("extent wider than the list") << 2000;
    QTest::addRow("extent within the list") << 100;
    QTest::addRow("no extent") << 0;
}

// The last entry gone, nothing is left to scroll sideways: the bar stays
// hidden and the event loop falls quiet. The extent comes back with the
// next entry.
void tst_ListBox::emptiedListIsIdle()
{
    QFETCH(int, extent);
    ListBox list;
    list.resize(393, 139);
    list.AddItem(QString(300, u'W'));
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    list.setHorizontalExtent(extent);
    QCoreApplication::processEvents();

    list.RemoveItem(0);
    const int events = eventsWithin(list, 500);
    QVERIFY2(events < 30, qPrintable(QStringLiteral("%1 events in half a second").arg(events)));
    QVERIFY(!list.horizontalScrollBar()->isVisible());
    QCOMPARE(list.horizontalExtent(), extent);

    list.AddItem("short");
    QTRY_COMPARE(list.horizontalScrollBar()->maximum(), qMax(0, extent - list.viewport()->width()));
    QCOMPARE(list.horizontalScrollBar()->isVisible(), extent > list.viewport()->width());
}

void tst_ListBox::doubleClickAnywhereAmongTheEntries()
{
    ListBox list;
    list.resize(393, 139);
    fill(list, {"a", "b"});
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    QSignalSpy spy(&list, &ListBox::DblClick);

    const QRect second = list.visualItemRect(list.item(1));
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, second.center());
    QCOMPARE(spy.size(), 1);
    QCOMPARE(list.ListIndex(), 1);

    // Below the entries: the selection stays.
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, QPoint(10, list.viewport()->height() - 5));
    QCOMPARE(spy.size(), 2);
    QCOMPARE(list.ListIndex(), 1);
}

// All entries share one size, taken from the first; a long entry after a
// short one must still be drawn to its end once scrolled there.
void tst_ListBox::entriesAreDrawnAcrossTheExtent()
{
    ListBox list;
    list.resize(393, 139);
    const QString longEntry = QString(120, u'W');
    fill(list, {"a", longEntry});
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    const int width = list.fontMetrics().horizontalAdvance(longEntry);
    list.setHorizontalExtent(width + 17);
    list.horizontalScrollBar()->setValue(list.horizontalScrollBar()->maximum());

    const QRect row = list.visualItemRect(list.item(1));
    const QImage image = list.viewport()->grab().toImage();
    // The last few characters of the long entry lie at the right of the viewport.
    int dark = 0;
    for (int x = image.width() - 60; x < image.width() - 17; ++x) {
        for (int y = row.top(); y <= row.bottom(); ++y)
            dark += qGray(image.pixel(x, y)) < 128;
    }
    QVERIFY2(dark > 20, qPrintable(QString::number(dark)));

    // And a click there is a click on that entry.
    const QPoint end(list.viewport()->width() - 30, row.center().y());
    QCOMPARE(list.indexAt(end).row(), 1);
    QSignalSpy spy(&list, &ListBox::DblClick);
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, end);
    QCOMPARE(spy.size(), 1);
    QCOMPARE(list.ListIndex(), 1);
}

void tst_ListBox::entriesAreDrawnBeforeAnyExtent()
{
    ListBox list;
    list.resize(393, 139);
    list.AddItem("WWWW");
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    const QRect row = list.visualItemRect(list.item(0));
    const QImage image = list.viewport()->grab().toImage();
    int dark = 0;
    for (int x = 0; x < 60; ++x) {
        for (int y = row.top(); y <= row.bottom(); ++y)
            dark += qGray(image.pixel(x, y)) < 128;
    }
    QVERIFY2(dark > 20, qPrintable(QString::number(dark)));
    QCOMPARE(list.horizontalScrollBar()->maximum(), 0);
}

QTEST_MAIN(tst_ListBox)
#include "tst_listbox.moc"
