#include "form.h"
#include "listbox.h"
#include "qtwindowsystem.h"
#include "windowhandles.h"

#include <QApplication>
#include <QFontMetrics>
#include <QStyle>
#include <QTest>

using namespace winapi;

class tst_QtWindowSystem : public QObject
{
    Q_OBJECT

private slots:
    void scrollBarWidthIsTheStyles();
    void drawTextMeasuresInTheWidgetsFont_data();
    void drawTextMeasuresInTheWidgetsFont();
    void drawTextFollowsAFontChange();
    void drawTextKeepsTheRectanglesLeftAndTop();
    void listBoxTakesItsExtent();
    void deadHandlesFail();

private:
    QtWindowSystem m_system;
};

void tst_QtWindowSystem::scrollBarWidthIsTheStyles()
{
    QCOMPARE(m_system.GetSystemMetrics(SM_CXVSCROLL), QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    QCOMPARE(m_system.GetSystemMetrics(12345), 0);
}

void tst_QtWindowSystem::drawTextMeasuresInTheWidgetsFont_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("measured");
    QTest::addColumn<int>("lines");

    QTest::addRow("empty") << QByteArray("") << "" << 1;
    QTest::addRow("path") << QByteArray("/home/user/data/part1.csv") << "/home/user/data/part1.csv" << 1;
    QTest::addRow("Greek, CJK and emoji") << QByteArray("/d/\xce\xb1\xce\xb2\xe6\x97\xa5\xe6\x9c\xac\xf0\x9f\x98\x80.txt")
                                          << QString::fromUtf8("/d/\xce\xb1\xce\xb2\xe6\x97\xa5\xe6\x9c\xac\xf0\x9f\x98\x80.txt") << 1;
    QTest::addRow("prefix takes no room") << QByteArray("Tom & Jerry") << "Tom  Jerry" << 1;
    QTest::addRow("doubled prefix stands for itself") << QByteArray("R&&D") << "R&D" << 1;
    QTest::addRow("widest of two lines") << QByteArray("short\r\nmuch longer line") << "much longer line" << 2;
    QTest::addRow("lone CR and LF") << QByteArray("a\rbb\nccc") << "ccc" << 3;
}

void tst_QtWindowSystem::drawTextMeasuresInTheWidgetsFont()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, measured);
    QFETCH(int, lines);

    Form window;
    window.setFont(QFont("Arial", 9));
    RECT rect;
    const QFontMetrics metrics(window.font(), &window);
    const int height = m_system.DrawTextA(window.hDC(), text.constData(), -1, &rect, DT_CALCRECT);
    QCOMPARE(rect.left, 0);
    QCOMPARE(rect.top, 0);
    // The system draws without kerning, so a shaped line may be a little narrower.
    const int shaped = metrics.horizontalAdvance(measured);
    QVERIFY2(rect.right >= shaped && rect.right <= shaped + 1 + shaped / 25,
             qPrintable(QStringLiteral("%1 for a shaped width of %2").arg(rect.right).arg(shaped)));
    QCOMPARE(rect.bottom, lines * metrics.height());
    QCOMPARE(height, rect.bottom);
}

void tst_QtWindowSystem::drawTextFollowsAFontChange()
{
    Form window;
    const QByteArray text("/home/user/a rather long path/file.csv");
    RECT rect;
    window.Font().setSize(9);
    m_system.DrawTextA(window.hDC(), text.constData(), -1, &rect, DT_CALCRECT);
    const int small = rect.right;
    window.Font().setSize(18);
    m_system.DrawTextA(window.hDC(), text.constData(), -1, &rect, DT_CALCRECT);
    QVERIFY2(rect.right > small * 3 / 2, qPrintable(QString("%1 vs %2").arg(rect.right).arg(small)));
}

void tst_QtWindowSystem::drawTextKeepsTheRectanglesLeftAndTop()
{
    Form window;
    RECT rect{10, 20, 0, 0};
    const QByteArray text("abc");
    const int length = 2; // only "ab"
    m_system.DrawTextA(window.hDC(), text.constData(), length, &rect, DT_CALCRECT);
    QCOMPARE(rect.left, 10);
    QCOMPARE(rect.top, 20);
    // Where the font's advances are fractions of a pixel, the system's sum of them and Qt's
    // rounding of the line may be a pixel apart; "c" would add several.
    const int width = QFontMetrics(window.font(), &window).horizontalAdvance("ab");
    QVERIFY2(qAbs(rect.right - 10 - width) <= 1, qPrintable(QStringLiteral("%1 for %2").arg(rect.right).arg(width)));
}

void tst_QtWindowSystem::listBoxTakesItsExtent()
{
    ListBox list;
    QCOMPARE(m_system.SendMessageA(list.hWnd(), LB_SETHORIZONTALEXTENT, 777, 0), LRESULT(0));
    QCOMPARE(list.horizontalExtent(), 777);

    // Another window takes no list-box message.
    Form window;
    m_system.SendMessageA(window.hWnd(), LB_SETHORIZONTALEXTENT, 5, 0);
    QCOMPARE(list.horizontalExtent(), 777);
}

void tst_QtWindowSystem::deadHandlesFail()
{
    HWND listHandle = 0;
    HDC dc = 0;
    {
        ListBox list;
        listHandle = list.hWnd();
        dc = WindowHandles::deviceContextOf(&list);
        QVERIFY(listHandle != 0);
    }
    QCOMPARE(WindowHandles::widget(listHandle), nullptr);
    QCOMPARE(m_system.SendMessageA(listHandle, LB_SETHORIZONTALEXTENT, 5, 0), LRESULT(0));
    RECT rect;
    QCOMPARE(m_system.DrawTextA(dc, "abc", -1, &rect, DT_CALCRECT), 0);
    QCOMPARE(rect.right, 0);

    // A new widget gets a handle of its own, never the dead one.
    ListBox another;
    QVERIFY(another.hWnd() != listHandle);
    QCOMPARE(m_system.DrawTextA(0, "abc", -1, &rect, DT_CALCRECT), 0);
}

QTEST_MAIN(tst_QtWindowSystem)
#include "tst_qtwindowsystem.moc"
