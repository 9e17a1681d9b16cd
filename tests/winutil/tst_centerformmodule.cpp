#include "centerformmodule.h"
#include "fakes.h"
#include "form.h"

#include <QTest>

namespace {

// A window of a given size that records the positions handed to it, before
// the window system rounds them to whole pixels.
class MeasuredForm : public Form
{
public:
    MeasuredForm(float width, float height) : m_width(width), m_height(height) {}

    float Width() const override { return m_width; }
    float Height() const override { return m_height; }
    void setLeft(float twips) override { calls << QStringLiteral("Left=%1").arg(twips); left = twips; }
    void setTop(float twips) override { calls << QStringLiteral("Top=%1").arg(twips); top = twips; }

    QStringList calls;
    float left = 0;
    float top = 0;

private:
    float m_width;
    float m_height;
};

} // namespace

class tst_CenterFormModule : public QObject
{
    Q_OBJECT

private slots:
    void centres_data();
    void centres();
    void movesTheRealWindow();
};

void tst_CenterFormModule::centres_data()
{
    QTest::addColumn<float>("screenWidth");
    QTest::addColumn<float>("screenHeight");
    QTest::addColumn<float>("width");
    QTest::addColumn<float>("height");
    QTest::addColumn<float>("left");
    QTest::addColumn<float>("top");

    QTest::addRow("even differences") << 15360.f << 11520.f << 6000.f << 4000.f << 4680.f << 3760.f;
    QTest::addRow("half a twip is kept") << 15360.f << 11520.f << 6015.f << 4000.f << 4672.5f << 3760.f;
    QTest::addRow("wider than the screen") << 15360.f << 11520.f << 16000.f << 4000.f << -320.f << 3760.f;
    QTest::addRow("taller than the screen") << 15360.f << 11520.f << 6000.f << 12001.f << 4680.f << -240.5f;
    QTest::addRow("main window's size") << 28800.f << 16200.f << 8175.f << 2325.f << 10312.5f << 6937.5f;
}

void tst_CenterFormModule::centres()
{
    QFETCH(float, screenWidth);
    QFETCH(float, screenHeight);
    QFETCH(float, width);
    QFETCH(float, height);
    QFETCH(float, left);
    QFETCH(float, top);

    FakeScreen screen(screenWidth, screenHeight);
    Screen::Override use(screen);
    MeasuredForm window(width, height);
    CenterFormModule::CenterForm(window);

    QCOMPARE(window.left, left);
    QCOMPARE(window.top, top);
    // Left first, then Top: the window moves twice.
    QCOMPARE(window.calls.size(), 2);
    QVERIFY(window.calls.at(0).startsWith("Left="));
    QVERIFY(window.calls.at(1).startsWith("Top="));
}

void tst_CenterFormModule::movesTheRealWindow()
{
    FakeScreen screen(15360, 11520); // 1024 x 768 pixels
    Screen::Override use(screen);
    Form window;
    window.resize(400, 300);
    CenterFormModule::CenterForm(window);
    QCOMPARE(window.pos(), QPoint(312, 234));
    QCOMPARE(window.Left(), 4680.f);
    QCOMPARE(window.Top(), 3510.f);
}

QTEST_MAIN(tst_CenterFormModule)
#include "tst_centerformmodule.moc"
