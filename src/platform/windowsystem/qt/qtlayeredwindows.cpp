// The extended window style and the layered-window attributes, emulated over
// Qt: the opacity of a layered window is the widget's window opacity, and its
// colour key is a mask cut from the window's own rendering.
#include "qtwindowsystem.h"

#include "windowhandles.h"

#include <QBitmap>
#include <QEvent>
#include <QImage>
#include <QPointer>
#include <QRegion>
#include <QTimer>
#include <QWidget>

#include <optional>

using namespace winapi;

namespace {

constexpr std::int32_t WS_EX_TOPMOST = 0x8;
constexpr std::int32_t WS_EX_WINDOWEDGE = 0x100;

// Windows gives every framed top-level window a raised edge, so a window's
// extended style is seldom 0 there; it is not 0 here either.
std::int32_t initialExStyle(const QWidget *widget)
{
    return widget->isWindow() && !(widget->windowFlags() & Qt::FramelessWindowHint) ? WS_EX_WINDOWEDGE : 0;
}

// What the window system keeps for one window: its extended style and, while
// it is layered, its attributes. Lives as a child of the widget, so it goes
// with it.
class LayeredWindow : public QObject
{
    Q_OBJECT

public:
    static LayeredWindow *find(QWidget *widget)
    {
        return widget->findChild<LayeredWindow *>(QString(), Qt::FindDirectChildrenOnly);
    }

    static LayeredWindow *attach(QWidget *widget)
    {
        LayeredWindow *state = find(widget);
        return state ? state : new LayeredWindow(widget);
    }

    // Only SetWindowPos makes a window topmost, so that bit always tells the truth.
    static std::int32_t exStyleOf(QWidget *widget)
    {
        const LayeredWindow *state = find(widget);
        const std::int32_t kept = state ? state->m_exStyle : initialExStyle(widget);
        const bool topmost = widget->isWindow() && (widget->windowFlags() & Qt::WindowStaysOnTopHint);
        return (kept & ~WS_EX_TOPMOST) | (topmost ? WS_EX_TOPMOST : 0);
    }

    void setExStyle(std::int32_t style)
    {
        const bool wasLayered = m_exStyle & WS_EX_LAYERED;
        m_exStyle = style & ~WS_EX_TOPMOST;
        // As on Windows, the attributes go with the style: a window made
        // layered again starts afresh.
        if (wasLayered && !(m_exStyle & WS_EX_LAYERED)) {
            m_window->setWindowOpacity(1.0);
            dropColorKey();
        }
    }

    bool isLayered() const { return m_exStyle & WS_EX_LAYERED; }

    // Each call replaces both attributes, as on Windows: a flag left out turns its effect off.
    void setAttributes(COLORREF crKey, std::uint8_t bAlpha, std::uint32_t dwFlags)
    {
        m_window->setWindowOpacity(dwFlags & LWA_ALPHA ? bAlpha / 255.0 : 1.0);
        if (dwFlags & LWA_COLORKEY)
            setColorKey(qRgb(int(crKey & 0xFF), int((crKey >> 8) & 0xFF), int((crKey >> 16) & 0xFF)));
        else
            dropColorKey();
    }

protected:
    // Any repaint of the window or of a child reaches the top-level window as
    // an update request, and a resize or show repaints it without one.
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_window) {
            switch (event->type()) {
            case QEvent::UpdateRequest:
            case QEvent::Resize:
            case QEvent::Show:
                if (!m_refresh.isActive())
                    m_refresh.start();
                break;
            default:
                break;
            }
        }
        return false;
    }

private:
    explicit LayeredWindow(QWidget *window)
        : QObject(window), m_window(window), m_exStyle(initialExStyle(window))
    {
        // Cutting the mask renders the whole window once more, so a burst of
        // repaints is answered with one cut once it has been drawn.
        m_refresh.setSingleShot(true);
        m_refresh.setInterval(30);
        connect(&m_refresh, &QTimer::timeout, this, &LayeredWindow::cutMask);
    }

    void setColorKey(QRgb key)
    {
        if (!m_colorKey)
            m_window->installEventFilter(this);
        m_colorKey = key;
        cutMask();
    }

    void dropColorKey()
    {
        if (!m_colorKey)
            return;
        m_colorKey.reset();
        m_refresh.stop();
        m_window->removeEventFilter(this);
        // A mask the program set itself is not ours to take away.
        if (m_window->mask() == m_keyMask)
            m_window->clearMask();
        m_keyMask = QRegion();
    }

    // The window is rendered as it looks, ignoring the mask that hides the key
    // colour already; what shows is every pixel of another colour.
    void cutMask()
    {
        if (!m_colorKey || m_window->size().isEmpty())
            return;
        QImage image(m_window->size(), QImage::Format_RGB32);
        m_window->render(&image, QPoint(), QRegion(),
                         QWidget::DrawWindowBackground | QWidget::DrawChildren | QWidget::IgnoreMask);
        // The mask image has 0 where the key is; a bitmap counts black as set.
        QImage cut = image.createMaskFromColor(*m_colorKey, Qt::MaskOutColor);
        cut.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
        QRegion shown(QBitmap::fromImage(cut));
        // An empty mask would mean no mask at all; a window all of the key
        // colour must show nothing instead.
        if (shown.isEmpty())
            shown = QRegion(-1, -1, 1, 1);
        // Setting an unchanged mask would only make the window system reshape it.
        if (shown != m_window->mask())
            m_window->setMask(shown);
        m_keyMask = shown;
    }

    QWidget *m_window;
    std::int32_t m_exStyle;
    std::optional<QRgb> m_colorKey;
    QRegion m_keyMask;
    QTimer m_refresh;
};

} // namespace

std::int32_t QtWindowSystem::GetWindowLongA(HWND hWnd, int nIndex)
{
    QWidget *widget = WindowHandles::widget(hWnd);
    if (!widget || nIndex != GWL_EXSTYLE)
        return 0;
    return LayeredWindow::exStyleOf(widget);
}

std::int32_t QtWindowSystem::SetWindowLongA(HWND hWnd, int nIndex, std::int32_t dwNewLong)
{
    QWidget *widget = WindowHandles::widget(hWnd);
    if (!widget || nIndex != GWL_EXSTYLE)
        return 0;
    const std::int32_t previous = LayeredWindow::exStyleOf(widget);
    LayeredWindow::attach(widget)->setExStyle(dwNewLong);
    return previous;
}

// Only a top-level window can be layered: Qt makes no child translucent, as
// Windows before 8 made none.
BOOL QtWindowSystem::SetLayeredWindowAttributes(HWND hWnd, COLORREF crKey, std::uint8_t bAlpha,
                                                std::uint32_t dwFlags)
{
    QWidget *widget = WindowHandles::widget(hWnd);
    if (!widget || !widget->isWindow())
        return 0;
    LayeredWindow *state = LayeredWindow::find(widget);
    if (!state || !state->isLayered())
        return 0;
    state->setAttributes(crKey, bAlpha, dwFlags);
    return 1;
}

#include "qtlayeredwindows.moc"
