#include "moveform.h"

#include "form.h"

namespace MoveForm {

// A press on the caption is what starts the window system's own move, so the
// press in the client area is handed on as one; the capture taken by the
// press would otherwise keep the mouse with the control that was pressed.
void DragForm(Form &window, int button)
{
    if (button != 1)
        return;
    ReleaseCapture();
    SendMessageA(window.hWnd(), winapi::WM_NCLBUTTONDOWN, winapi::HTCAPTION, 0);
}

} // namespace MoveForm
