// The system colours and the version record, emulated over Qt.
#include "qtwindowsystem.h"

#include <QApplication>
#include <QLibrary>
#include <QPalette>

#include <cstring>

#if __has_include(<xcb/xcb.h>)
#include <xcb/xcb.h>
#define QUILLMERE_HAS_XCB 1
#endif

using namespace winapi;

namespace {

constexpr std::uint32_t VER_PLATFORM_WIN32_NT = 2;

struct SystemColor
{
    int index;
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
};

// The system colours that have a counterpart in the palette; the others are
// 0 (black), as Windows gives for an index it does not know.
constexpr SystemColor SystemColors[] = {
    {4, QPalette::Active, QPalette::Window},            // COLOR_MENU
    {5, QPalette::Active, QPalette::Base},              // COLOR_WINDOW
    {7, QPalette::Active, QPalette::WindowText},        // COLOR_MENUTEXT
    {8, QPalette::Active, QPalette::Text},              // COLOR_WINDOWTEXT
    {13, QPalette::Active, QPalette::Highlight},        // COLOR_HIGHLIGHT
    {14, QPalette::Active, QPalette::HighlightedText},  // COLOR_HIGHLIGHTTEXT
    {COLOR_BTNFACE, QPalette::Active, QPalette::Button},
    {16, QPalette::Active, QPalette::Dark},             // COLOR_BTNSHADOW
    {17, QPalette::Disabled, QPalette::Text},           // COLOR_GRAYTEXT
    {18, QPalette::Active, QPalette::ButtonText},       // COLOR_BTNTEXT
    {20, QPalette::Active, QPalette::Light},            // COLOR_BTNHIGHLIGHT
    {21, QPalette::Active, QPalette::Shadow},           // COLOR_3DDKSHADOW
    {22, QPalette::Active, QPalette::Midlight},         // COLOR_3DLIGHT
    {23, QPalette::Active, QPalette::ToolTipText},      // COLOR_INFOTEXT
    {24, QPalette::Active, QPalette::ToolTipBase},      // COLOR_INFOBK
    {26, QPalette::Active, QPalette::Link},             // COLOR_HOTLIGHT
};

#ifdef QUILLMERE_HAS_XCB
// The X screen the display names (":0.1" is screen 1); 0 when none is named.
int x11ScreenNumber()
{
    const QByteArray display = qgetenv("DISPLAY");
    const qsizetype colon = display.lastIndexOf(':');
    const qsizetype dot = display.lastIndexOf('.');
    return dot > colon && colon >= 0 ? display.mid(dot + 1).toInt() : 0;
}

// A compositing manager owns the selection _NET_WM_CM_Sn of the screen it
// composites; without one an X server draws no window translucent.
bool x11CompositingManagerRunning()
{
    const auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return false;

    // The xcb platform plugin has libxcb loaded already; binding the four
    // functions by name keeps the library out of the link of every program
    // that never runs on X.
    using InternAtom = xcb_intern_atom_cookie_t (*)(xcb_connection_t *, uint8_t, uint16_t, const char *);
    using InternAtomReply = xcb_intern_atom_reply_t *(*)(xcb_connection_t *, xcb_intern_atom_cookie_t,
                                                          xcb_generic_error_t **);
    using GetSelectionOwner = xcb_get_selection_owner_cookie_t (*)(xcb_connection_t *, xcb_atom_t);
    using GetSelectionOwnerReply = xcb_get_selection_owner_reply_t *(*)(
        xcb_connection_t *, xcb_get_selection_owner_cookie_t, xcb_generic_error_t **);
    static QLibrary library(QStringLiteral("xcb"), 1);
    static const auto internAtom = reinterpret_cast<InternAtom>(library.resolve("xcb_intern_atom"));
    static const auto internAtomReply = reinterpret_cast<InternAtomReply>(library.resolve("xcb_intern_atom_reply"));
    static const auto getSelectionOwner = reinterpret_cast<GetSelectionOwner>(library.resolve("xcb_get_selection_owner"));
    static const auto getSelectionOwnerReply =
        reinterpret_cast<GetSelectionOwnerReply>(library.resolve("xcb_get_selection_owner_reply"));
    if (!internAtom || !internAtomReply || !getSelectionOwner || !getSelectionOwnerReply)
        return false;

    const QByteArray selection = "_NET_WM_CM_S" + QByteArray::number(x11ScreenNumber());
    xcb_intern_atom_reply_t *atom =
        internAtomReply(connection, internAtom(connection, 1, uint16_t(selection.size()), selection.constData()), nullptr);
    if (!atom)
        return false;
    const xcb_atom_t name = atom->atom;
    std::free(atom);
    if (name == XCB_ATOM_NONE)
        return false;

    xcb_get_selection_owner_reply_t *owner = getSelectionOwnerReply(connection, getSelectionOwner(connection, name), nullptr);
    if (!owner)
        return false;
    const bool owned = owner->owner != XCB_WINDOW_NONE;
    std::free(owner);
    return owned;
}
#endif

// Windows and macOS composite every window. On X it takes a compositing
// manager, asked afresh each time since one may start or stop at any moment.
// Wayland has no protocol for a window's opacity, and the offscreen, minimal
// and frame-buffer platforms draw for no one: no layered windows there.
bool canMakeWindowsTranslucent()
{
    const QString platform = QGuiApplication::platformName();
    if (platform == u"windows" || platform == u"cocoa")
        return true;
#ifdef QUILLMERE_HAS_XCB
    if (platform == u"xcb")
        return x11CompositingManagerRunning();
#endif
    return false;
}

} // namespace

COLORREF QtWindowSystem::GetSysColor(int nIndex)
{
    for (const SystemColor &entry : SystemColors) {
        if (entry.index == nIndex) {
            const QColor color = QApplication::palette().color(entry.group, entry.role);
            return COLORREF(color.red()) | COLORREF(color.green()) << 8 | COLORREF(color.blue()) << 16;
        }
    }
    return 0;
}

// The version tells the program whether layered windows are there: 5.0 where
// a window can be made translucent, 4.0 where it cannot. The service-pack
// text names the window system, for anyone who looks.
BOOL QtWindowSystem::GetVersionExA(OSVERSIONINFO *lpVersionInformation)
{
    if (!lpVersionInformation || lpVersionInformation->dwOSVersionInfoSize != sizeof(OSVERSIONINFO))
        return 0;
    const bool translucent = canMakeWindowsTranslucent();
    lpVersionInformation->dwMajorVersion = translucent ? 5 : 4;
    lpVersionInformation->dwMinorVersion = 0;
    lpVersionInformation->dwBuildNumber = 0;
    lpVersionInformation->dwPlatformId = VER_PLATFORM_WIN32_NT;
    const QByteArray name = QGuiApplication::platformName().toUtf8().left(sizeof lpVersionInformation->szCSDVersion - 1);
    std::memset(lpVersionInformation->szCSDVersion, 0, sizeof lpVersionInformation->szCSDVersion);
    std::memcpy(lpVersionInformation->szCSDVersion, name.constData(), std::size_t(name.size()));
    return 1;
}
