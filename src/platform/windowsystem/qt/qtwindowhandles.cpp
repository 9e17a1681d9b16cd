#include "windowhandles.h"

#include <QHash>
#include <QPointer>
#include <QWidget>

namespace {

// One table per kind of handle. Window and device-context handles come from
// different ranges so that one is never mistaken for the other.
class HandleTable
{
public:
    explicit HandleTable(std::int32_t first) : m_next(first) {}

    std::int32_t handleOf(QWidget *widget)
    {
        if (!widget)
            return 0;
        const auto found = m_handles.constFind(widget);
        if (found != m_handles.constEnd())
            return *found;

        const std::int32_t handle = m_next;
        m_next += 4;
        m_handles.insert(widget, handle);
        m_widgets.insert(handle, widget);
        // The address may be reused by a later widget, which must get a handle of its own.
        QObject::connect(widget, &QObject::destroyed, [this, widget] { m_handles.remove(widget); });
        return handle;
    }

    QWidget *widget(std::int32_t handle) const { return m_widgets.value(handle); }

private:
    std::int32_t m_next;
    QHash<const QWidget *, std::int32_t> m_handles;
    QHash<std::int32_t, QPointer<QWidget>> m_widgets;
};

HandleTable &windows()
{
    static HandleTable table(0x00010000);
    return table;
}

HandleTable &deviceContexts()
{
    static HandleTable table(0x01000000);
    return table;
}

} // namespace

namespace WindowHandles {

winapi::HWND windowOf(QWidget *widget)
{
    return windows().handleOf(widget);
}

QWidget *widget(winapi::HWND hWnd)
{
    return windows().widget(hWnd);
}

winapi::HDC deviceContextOf(QWidget *widget)
{
    return deviceContexts().handleOf(widget);
}

QWidget *widgetOfDeviceContext(winapi::HDC hDC)
{
    return deviceContexts().widget(hDC);
}

} // namespace WindowHandles
