#include "ctranslucentform.h"
#include "qtwindowsystem.h"

#include <QApplication>
#include <QPalette>
#include <QTest>

#include <cstring>

#ifdef QUILLMERE_TEST_XCB
#include <xcb/xcb.h>
#endif

using namespace winapi;

namespace {

std::uint32_t majorVersion(QtWindowSystem &system)
{
    OSVERSIONINFO version{};
    version.dwOSVersionInfoSize = sizeof version;
    return system.GetVersionExA(&version) ? version.dwMajorVersion : 0;
}

#ifdef QUILLMERE_TEST_XCB
// Stands in for a compositing manager: owns the selection one owns, and
// gives it up again when it goes.
class CompositingManager
{
public:
    CompositingManager()
    {
        m_connection = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
        const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
        m_window = xcb_generate_id(m_connection);
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, m_window, screen->root, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
        const char name[] = "_NET_WM_CM_S0";
        xcb_intern_atom_reply_t *atom =
            xcb_intern_atom_reply(m_connection, xcb_intern_atom(m_connection, 0, sizeof name - 1, name), nullptr);
        m_selection = atom->atom;
        std::free(atom);
        xcb_set_selection_owner(m_connection, m_window, m_selection, XCB_CURRENT_TIME);
        std::free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
    }

    ~CompositingManager()
    {
        xcb_destroy_window(m_connection, m_window);
        std::free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
    }

private:
    xcb_connection_t *m_connection = nullptr;
    xcb_window_t m_window = 0;
    xcb_atom_t m_selection = 0;
};
#endif

} // namespace

class tst_QtSystemInfo : public QObject
{
    Q_OBJECT

private slots:
    void systemColors_data();
    void systemColors();
    void buttonFaceFollowsThePalette();
    void versionRecordSize_data();
    void versionRecordSize();
    void noLayeredWindowsWithoutAScreen();
    void compositingManagerMakesWindowsTranslucent();

private:
    QtWindowSystem m_system;
};

void tst_QtSystemInfo::systemColors_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QPalette::ColorGroup>("group");
    QTest::addColumn<QPalette::ColorRole>("role");

    QTest::addRow("-1, unknown") << -1 << QPalette::Active << QPalette::NoRole;
    QTest::addRow("COLOR_BTNFACE") << 15 << QPalette::Active << QPalette::Button;
    QTest::addRow("COLOR_GRAYTEXT") << 17 << QPalette::Disabled << QPalette::Text;
    QTest::addRow("31, unknown") << 31 << QPalette::Active << QPalette::NoRole;
}

void tst_QtSystemInfo::systemColors()
{
    QFETCH(int, index);
    QFETCH(QPalette::ColorGroup, group);
    QFETCH(QPalette::ColorRole, role);

    const QColor color = role == QPalette::NoRole ? QColor(Qt::black) : QApplication::palette().color(group, role);
    QCOMPARE(m_system.GetSysColor(index), COLORREF(color.red() | color.green() << 8 | color.blue() << 16));
}

void tst_QtSystemInfo::buttonFaceFollowsThePalette()
{
    const QPalette original = QApplication::palette();
    QPalette palette = original;
    palette.setColor(QPalette::Button, QColor(0x10, 0x20, 0x30));
    QApplication::setPalette(palette);
    const COLORREF face = m_system.GetSysColor(COLOR_BTNFACE);
    QApplication::setPalette(original);

    QCOMPARE(face, COLORREF(0x302010));
}

void tst_QtSystemInfo::versionRecordSize_data()
{
    QTest::addColumn<std::uint32_t>("size");
    QTest::addColumn<BOOL>("result");

    QTest::addRow("0") << 0u << 0;
    QTest::addRow("148, the single-byte record") << 148u << 1;
    QTest::addRow("156, the extended record") << 156u << 0;
}

// A record of another size is refused and left as it was.
void tst_QtSystemInfo::versionRecordSize()
{
    QFETCH(std::uint32_t, size);
    QFETCH(BOOL, result);

    OSVERSIONINFO version{};
    version.dwOSVersionInfoSize = size;
    QTEST(m_system.GetVersionExA(&version), "result");
    QCOMPARE(version.dwMajorVersion != 0, result != 0);
    QCOMPARE(m_system.GetVersionExA(nullptr), 0);
    if (result)
        QCOMPARE(QByteArray(version.szCSDVersion), QGuiApplication::platformName().toUtf8());
}

void tst_QtSystemInfo::noLayeredWindowsWithoutAScreen()
{
    if (QGuiApplication::platformName() != u"offscreen")
        QSKIP("Looks at the offscreen platform.");
    QCOMPARE(majorVersion(m_system), 4u);

    const WindowSystem::Override use(m_system);
    const CTranslucentForm form;
    QCOMPARE(form.Supported(), CTranslucentForm::False);
}

void tst_QtSystemInfo::compositingManagerMakesWindowsTranslucent()
{
    if (QGuiApplication::platformName() != u"xcb")
        QSKIP("Needs an X server.");
#ifndef QUILLMERE_TEST_XCB
    QSKIP("Built without the xcb headers to stand in for a compositing manager.");
#else
    if (majorVersion(m_system) >= 5)
        QSKIP("A compositing manager runs on this X server already.");
    {
        const CompositingManager manager;
        QCOMPARE(majorVersion(m_system), 5u);
        const WindowSystem::Override use(m_system);
        const CTranslucentForm form;
        QCOMPARE(form.Supported(), CTranslucentForm::True);
    }
    QCOMPARE(majorVersion(m_system), 4u);
#endif
}

QTEST_MAIN(tst_QtSystemInfo)
#include "tst_qtsysteminfo.moc"
