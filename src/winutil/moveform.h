#pragma once

#include "winapi.h"

class Form;

namespace MoveForm {

// The two window-system functions a drag needs.
using winapi::ReleaseCapture;
using winapi::SendMessageA;

/// Lets the user drag the window from anywhere in its client area: call it
/// from the mouse-down handler of the window or of a control on it, such as a
/// label, with the event's button code. Only the left button (1) drags; any
/// other code does nothing.
void DragForm(Form &window, int button);

} // namespace MoveForm
