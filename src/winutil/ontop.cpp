#include "ontop.h"

#include "form.h"
#include "winapi.h"

namespace OnTop {

// SWP_NOACTIVATE is left out on purpose: the window is also activated.
void SetOnTop(Form &window)
{
    winapi::SetWindowPos(window.hWnd(), winapi::HWND_TOPMOST, 0, 0, 0, 0, winapi::SWP_NOSIZE | winapi::SWP_NOMOVE);
}

} // namespace OnTop
