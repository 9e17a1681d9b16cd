// Window and device-context handles on Windows: a window's handle is the
// widget's native one; a widget's device context is a memory context of our
// own that holds the widget's font.
#include "windowhandles.h"

#include <QFont>
#include <QHash>
#include <QPointer>
#include <QWidget>

#include "win32.h"

namespace {

// Windows keeps window and GDI handles within 32 bits so that 32-bit and
// 64-bit programs can pass them to each other; sign extension restores them.
std::int32_t shortHandle(const void *handle)
{
    return static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(handle));
}

struct FontContext
{
    HDC dc = nullptr;
    HFONT font = nullptr;
    QFont selected;
    int dpi = 0;
};

QHash<const QWidget *, FontContext> &contexts()
{
    static QHash<const QWidget *, FontContext> table;
    return table;
}

QHash<winapi::HDC, QPointer<QWidget>> &owners()
{
    static QHash<winapi::HDC, QPointer<QWidget>> table;
    return table;
}

// The height is the font's size at the widget's logical resolution, so that
// widths come out in the same pixels as the widget's own geometry.
HFONT createFont(const QFont &font, int dpi)
{
    LOGFONTW description{};
    description.lfHeight = font.pointSizeF() > 0 ? -qRound(font.pointSizeF() * dpi / 72.0) : -font.pixelSize();
    description.lfWeight = LONG(font.weight()); // Qt's weights are on the same 100..900 scale
    description.lfItalic = font.italic();
    description.lfUnderline = font.underline();
    description.lfStrikeOut = font.strikeOut();
    description.lfCharSet = DEFAULT_CHARSET;
    description.lfOutPrecision = OUT_DEFAULT_PRECIS;
    description.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    description.lfQuality = DEFAULT_QUALITY;
    description.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    const QString face = font.family().left(LF_FACESIZE - 1);
    face.toWCharArray(description.lfFaceName);
    return ::CreateFontIndirectW(&description);
}

void release(const QWidget *widget)
{
    const FontContext context = contexts().take(widget);
    owners().remove(shortHandle(context.dc));
    if (context.dc)
        ::DeleteDC(context.dc);
    if (context.font)
        ::DeleteObject(context.font);
}

} // namespace

namespace WindowHandles {

winapi::HWND windowOf(QWidget *widget)
{
    return widget ? static_cast<winapi::HWND>(static_cast<std::intptr_t>(widget->winId())) : 0;
}

QWidget *widget(winapi::HWND hWnd)
{
    return hWnd ? QWidget::find(WId(static_cast<std::intptr_t>(hWnd))) : nullptr;
}

// The font is compared each time the handle is asked for, and chosen anew
// into the context when the widget's font or resolution changed.
winapi::HDC deviceContextOf(QWidget *widget)
{
    if (!widget)
        return 0;
    auto found = contexts().find(widget);
    if (found == contexts().end()) {
        const HDC dc = ::CreateCompatibleDC(nullptr);
        if (!dc)
            return 0;
        found = contexts().insert(widget, FontContext{dc, nullptr, QFont(), 0});
        owners().insert(shortHandle(dc), widget);
        QObject::connect(widget, &QObject::destroyed, [widget] { release(widget); });
    }

    FontContext &context = *found;
    const QFont font = widget->font();
    const int dpi = widget->logicalDpiY();
    if (!context.font || font != context.selected || dpi != context.dpi) {
        if (const HFONT created = createFont(font, dpi)) {
            ::SelectObject(context.dc, created);
            if (context.font)
                ::DeleteObject(context.font);
            context.font = created;
            context.selected = font;
            context.dpi = dpi;
        }
    }
    return shortHandle(context.dc);
}

QWidget *widgetOfDeviceContext(winapi::HDC hDC)
{
    return owners().value(hDC);
}

} // namespace WindowHandles
