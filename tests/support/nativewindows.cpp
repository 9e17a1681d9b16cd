#include "nativewindows.h"

#include <QGuiApplication>
#include <QWidget>

#ifdef Q_OS_WIN
#include <windows.h>

namespace {

struct LayeredAttributes
{
    COLORREF key = 0;
    BYTE alpha = 255;
    DWORD flags = 0;
};

std::optional<LayeredAttributes> layeredAttributes(QWidget &window)
{
    const auto handle = reinterpret_cast<HWND>(window.winId());
    LayeredAttributes attributes;
    if (!(GetWindowLongW(handle, GWL_EXSTYLE) & WS_EX_LAYERED)
        || !GetLayeredWindowAttributes(handle, &attributes.key, &attributes.alpha, &attributes.flags))
        return std::nullopt;
    return attributes;
}

} // namespace
#endif

namespace NativeWindows {

bool available()
{
#ifdef Q_OS_WIN
    return QGuiApplication::platformName() == u"windows";
#else
    return true;
#endif
}

double opacity(QWidget &window)
{
#ifdef Q_OS_WIN
    const auto attributes = layeredAttributes(window);
    return attributes && (attributes->flags & LWA_ALPHA) ? attributes->alpha / 255.0 : 1.0;
#else
    return window.windowOpacity();
#endif
}

#ifdef Q_OS_WIN
std::optional<std::uint32_t> colorKey(QWidget &window)
{
    const auto attributes = layeredAttributes(window);
    if (!attributes || !(attributes->flags & LWA_COLORKEY))
        return std::nullopt;
    return attributes->key;
}
#endif

bool holdsMouse(QWidget *widget)
{
#ifdef Q_OS_WIN
    return GetCapture() == reinterpret_cast<HWND>(widget->window()->winId());
#else
    return QWidget::mouseGrabber() == widget;
#endif
}

} // namespace NativeWindows
