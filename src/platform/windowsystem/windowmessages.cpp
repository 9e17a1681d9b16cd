#include "windowmessages.h"

#include "windowhandles.h"

#include <QHash>
#include <QWidget>

namespace {

// The handlers by widget and message; the window's thread alone uses them.
QHash<const QWidget *, QHash<std::uint32_t, WindowMessages::Handler>> &handlers()
{
    static QHash<const QWidget *, QHash<std::uint32_t, WindowMessages::Handler>> table;
    return table;
}

} // namespace

namespace WindowMessages {

void handle(QWidget *widget, std::uint32_t message, Handler handler)
{
    if (!handlers().contains(widget))
        QObject::connect(widget, &QObject::destroyed, [widget] { handlers().remove(widget); });
    handlers()[widget].insert(message, std::move(handler));
}

std::optional<winapi::LRESULT> deliver(winapi::HWND hWnd, std::uint32_t message, winapi::WPARAM wParam,
                                       winapi::LPARAM lParam)
{
    const auto widget = handlers().constFind(WindowHandles::widget(hWnd));
    if (widget == handlers().constEnd())
        return std::nullopt;
    const Handler handler = widget->value(message);
    if (!handler)
        return std::nullopt;
    // A copy: the handler may register others, or its widget may go.
    return handler(wParam, lParam);
}

} // namespace WindowMessages
