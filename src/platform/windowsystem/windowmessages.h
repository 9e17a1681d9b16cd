#pragma once

#include "winapi.h"

#include <functional>
#include <optional>

class QWidget;

/// Messages that the program's own widgets answer in place of the window
/// system's controls they stand for. The list box is a Qt widget on every
/// system, not a list box of the system's, so what LB_SETHORIZONTALEXTENT does
/// is registered here by the list box and carried out whichever backend
/// delivers the message.
namespace WindowMessages {

using Handler = std::function<winapi::LRESULT(winapi::WPARAM wParam, winapi::LPARAM lParam)>;

/// Lets @p widget answer @p message for as long as it lives.
void handle(QWidget *widget, std::uint32_t message, Handler handler);

/// The answer of the handler that the window registered for the message, or
/// nothing where it registered none.
std::optional<winapi::LRESULT> deliver(winapi::HWND hWnd, std::uint32_t message, winapi::WPARAM wParam,
                                       winapi::LPARAM lParam);

} // namespace WindowMessages
