#include "horizontallist1.h"

#include "form.h"
#include "listbox.h"
#include "runtimeerror.h"
#include "winapi.h"

#include <QCoreApplication>
#include <QtNumeric>

namespace HorizontalList1 {

// The types stay qualified: on Windows Qt declares HWND and HDC of its own.
using winapi::DrawTextA;
using winapi::GetSystemMetrics;
using winapi::SendMessageA;

void SetHorizontalExtent(Form &window, ListBox &list)
{
    // Face, weight and size only: the device context draws in the window's font.
    StdFont windowFont = window.Font();
    const StdFont listFont = list.Font();
    windowFont.setName(listFont.Name());
    windowFont.setBold(listFont.Bold());
    windowFont.setSize(listFont.Size());

    const int scrollBarWidth = GetSystemMetrics(winapi::SM_CXVSCROLL);

    // The rectangle is not reset between entries: its left edge stays 0, so
    // its right edge is always the width of the entry just measured.
    winapi::RECT rect;
    int widest = 0;
    const int last = list.ListCount() - 1;
    for (int i = 0; i <= last; ++i) {
        const winapi::HDC hDC = window.hDC();
        const QByteArray text = list.List(i).toUtf8();
        DrawTextA(hDC, text.constData(), -1, &rect, winapi::DT_CALCRECT);
        std::int32_t width = 0;
        if (qAddOverflow(rect.right, scrollBarWidth, &width))
            throw RuntimeError(QCoreApplication::translate("HorizontalList1", "Overflow"));
        if (width >= widest)
            widest = width;
    }

    SendMessageA(list.hWnd(), winapi::LB_SETHORIZONTALEXTENT, winapi::WPARAM(widest), 0);
}

} // namespace HorizontalList1
