#include "form.h"
#include "horizontallist1.h"
#include "listbox.h"
#include "recordingwindowsystem.h"
#include "runtimeerror.h"

#include <QFontInfo>
#include <QGuiApplication>
#include <QHash>
#include <QTest>

class tst_HorizontalList1 : public QObject
{
    Q_OBJECT

private slots:
    void extent_data();
    void extent();
    void measuresEachEntryOnTheUnresetRectangle();
    void windowTakesTheListsFont();
    void measuresOnTheRealScreen();
};

void tst_HorizontalList1::extent_data()
{
    QTest::addColumn<QList<int>>("widths");
    QTest::addColumn<int>("scrollBar");
    QTest::addColumn<int>("expected");

    QTest::addRow("no entries") << QList<int>{} << 17 << 0;
    QTest::addRow("one entry of 300") << QList<int>{300} << 17 << 317;
    QTest::addRow("300 then 120") << QList<int>{300, 120} << 17 << 317;
    QTest::addRow("120 then 300") << QList<int>{120, 300} << 17 << 317;
    QTest::addRow("equal widths") << QList<int>{250, 250, 250} << 17 << 267;
    QTest::addRow("narrower than the box") << QList<int>{40} << 17 << 57;
    QTest::addRow("other scroll bar") << QList<int>{100, 90} << 12 << 112;
    QTest::addRow("empty entry") << QList<int>{0} << 17 << 17;
    // The sum is kept in 32 bits, as the list takes it; -1: it cannot be, and nothing is sent.
    QTest::addRow("widest and bar just fit") << QList<int>{100, INT32_MAX - 17} << 17 << INT32_MAX;
    QTest::addRow("widest and bar overflow") << QList<int>{100, INT32_MAX - 16} << 17 << -1;
}

// Entries are named by their width, so the fake can measure them.
void tst_HorizontalList1::extent()
{
    QFETCH(QList<int>, widths);
    QFETCH(int, scrollBar);
    QFETCH(int, expected);

    RecordingWindowSystem fake;
    fake.scrollBarWidth = scrollBar;
    fake.textWidth = [](const QString &text) { return text.section(u'-', 1).toInt(); };
    WindowSystem::Override use(fake);

    Form window;
    ListBox list(&window);
    for (int i = 0; i < widths.size(); ++i)
        list.AddItem(QStringLiteral("%1-%2").arg(i).arg(widths.at(i)));
    QString error;
    try {
        HorizontalList1::SetHorizontalExtent(window, list);
    } catch (const RuntimeError &overflow) {
        error = overflow.description();
    }

    QCOMPARE(fake.callsOf("GetSystemMetrics"), QStringList{"GetSystemMetrics(2)"});
    QCOMPARE(fake.callsOf("DrawTextA").size(), widths.size());
    if (expected < 0) {
        QCOMPARE(error, QString("Overflow"));
        QCOMPARE(fake.callsOf("SendMessageA"), QStringList());
        return;
    }
    QCOMPARE(error, QString());
    QCOMPARE(fake.callsOf("SendMessageA"), QStringList{QStringLiteral("SendMessageA(%1, 404, %2, 0)").arg(list.hWnd()).arg(expected)});
    QCOMPARE(fake.calls.constLast(), fake.callsOf("SendMessageA").constFirst());
}

void tst_HorizontalList1::measuresEachEntryOnTheUnresetRectangle()
{
    RecordingWindowSystem fake;
    fake.textWidth = [](const QString &text) { return text == "wide" ? 300 : 120; };
    WindowSystem::Override use(fake);

    Form window;
    ListBox list(&window);
    list.AddItem("wide");
    list.AddItem("narrow");
    HorizontalList1::SetHorizontalExtent(window, list);

    const QString dc = QString::number(window.hDC());
    QCOMPARE(fake.callsOf("DrawTextA"), (QStringList{
                                            "DrawTextA(" + dc + ", \"wide\", -1, {0,0,0,0}, 1024)",
                                            "DrawTextA(" + dc + ", \"narrow\", -1, {0,0,300,15}, 1024)",
                                        }));
}

void tst_HorizontalList1::windowTakesTheListsFont()
{
    RecordingWindowSystem fake;
    WindowSystem::Override use(fake);

    Form window;
    QFont windowFont("Liberation Serif", 14);
    windowFont.setItalic(true);
    window.setFont(windowFont);
    ListBox list(&window);
    QFont listFont("Liberation Sans");
    listFont.setPointSizeF(9.75);
    listFont.setBold(true);
    list.setFont(listFont);
    list.AddItem("entry");

    HorizontalList1::SetHorizontalExtent(window, list);
    QCOMPARE(window.Font().Name(), list.Font().Name());
    QCOMPARE(window.Font().Bold(), true);
    QCOMPARE(window.Font().Size(), 9.75);
    // Only face, weight and size are copied.
    QVERIFY(window.font().italic());
}

void tst_HorizontalList1::measuresOnTheRealScreen()
{
#ifdef Q_OS_WIN
    if (QGuiApplication::platformName() != u"windows")
        QSKIP("DrawText measures in the system's fonts, which only the windows platform draws with.");
#endif
    Form window;
    ListBox list(&window);
    // By the name of the family it resolves to: where there is no Arial (Wine), Qt and the
    // system would each pick a stand-in of their own.
    list.setFont(QFont(QFontInfo(QFont("Arial", 9)).family(), 9));
    const QString longest = "/home/user/some rather long folder name/another level/data-2024.csv";
    list.AddItem("/tmp/a.csv");
    list.AddItem(longest);
    HorizontalList1::SetHorizontalExtent(window, list);

    // The system measures without kerning and, in some fonts, in fractions of a pixel that it
    // adds up otherwise than Qt: within a pixel and 2 % of Qt's width, less than the scroll bar.
    const int width = QFontMetrics(list.font(), &window).horizontalAdvance(longest);
    const int expected = width + winapi::GetSystemMetrics(winapi::SM_CXVSCROLL);
    QVERIFY2(qAbs(list.horizontalExtent() - expected) <= 1 + width / 50,
             qPrintable(QStringLiteral("%1, expected %2").arg(list.horizontalExtent()).arg(expected)));
}

QTEST_MAIN(tst_HorizontalList1)
#include "tst_horizontallist1.moc"
