#include "recordingwindowsystem.h"

#include <cstring>

using namespace winapi;

namespace {

QString quoted(const char *text)
{
    return text ? u'"' + QString::fromUtf8(text) + u'"' : QStringLiteral("null");
}

QString call(const char *function, const QStringList &arguments)
{
    return QString::fromLatin1(function) + u'(' + arguments.join(QStringLiteral(", ")) + u')';
}

QString number(qint64 value)
{
    return QString::number(value);
}

} // namespace

int RecordingWindowSystem::GetSystemMetrics(int nIndex)
{
    calls << call("GetSystemMetrics", {number(nIndex)});
    return nIndex == SM_CXVSCROLL ? scrollBarWidth : 0;
}

int RecordingWindowSystem::DrawTextA(HDC hDC, const char *lpStr, int nCount, RECT *lpRect, std::uint32_t wFormat)
{
    const QString text = QString::fromUtf8(lpStr, nCount < 0 ? qsizetype(std::strlen(lpStr)) : nCount);
    calls << call("DrawTextA", {number(hDC), u'"' + text + u'"', number(nCount),
                                QStringLiteral("{%1,%2,%3,%4}").arg(lpRect->left).arg(lpRect->top).arg(lpRect->right).arg(lpRect->bottom),
                                number(wFormat)});
    if (wFormat & DT_CALCRECT) {
        lpRect->right = lpRect->left + textWidth(text);
        lpRect->bottom = lpRect->top + 15;
    }
    return 15;
}

LRESULT RecordingWindowSystem::SendMessageA(HWND hWnd, std::uint32_t wMsg, WPARAM wParam, LPARAM lParam)
{
    calls << call("SendMessageA", {number(hWnd), number(wMsg), number(qint64(wParam)), number(lParam)});
    return 0;
}

BOOL RecordingWindowSystem::SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int X, int Y, int cx, int cy,
                                         std::uint32_t wFlags)
{
    calls << call("SetWindowPos", {number(hWnd), number(hWndInsertAfter), number(X), number(Y), number(cx),
                                   number(cy), number(wFlags)});
    return windowPosResult(hWnd);
}

BOOL RecordingWindowSystem::ReleaseCapture()
{
    calls << call("ReleaseCapture", {});
    return 1;
}

std::int32_t RecordingWindowSystem::GetWindowLongA(HWND hWnd, int nIndex)
{
    calls << call("GetWindowLongA", {number(hWnd), number(nIndex)});
    return hWnd && nIndex == GWL_EXSTYLE ? exStyles.value(hWnd) : 0;
}

std::int32_t RecordingWindowSystem::SetWindowLongA(HWND hWnd, int nIndex, std::int32_t dwNewLong)
{
    calls << call("SetWindowLongA", {number(hWnd), number(nIndex), number(dwNewLong)});
    if (!styleWritable(hWnd) || nIndex != GWL_EXSTYLE)
        return 0;
    const std::int32_t previous = exStyles.value(hWnd);
    exStyles.insert(hWnd, dwNewLong);
    return previous;
}

BOOL RecordingWindowSystem::SetLayeredWindowAttributes(HWND hWnd, COLORREF crKey, std::uint8_t bAlpha,
                                                       std::uint32_t dwFlags)
{
    calls << call("SetLayeredWindowAttributes", {number(hWnd), number(crKey), number(bAlpha), number(dwFlags)});
    return layeredResult(hWnd);
}

COLORREF RecordingWindowSystem::GetSysColor(int nIndex)
{
    calls << call("GetSysColor", {number(nIndex)});
    return nIndex == COLOR_BTNFACE ? buttonFace : 0;
}

BOOL RecordingWindowSystem::GetVersionExA(OSVERSIONINFO *lpVersionInformation)
{
    calls << call("GetVersionExA", {number(lpVersionInformation->dwOSVersionInfoSize)});
    lpVersionInformation->dwMajorVersion = majorVersion;
    lpVersionInformation->dwMinorVersion = 1;
    return 1;
}

std::intptr_t RecordingWindowSystem::ShellExecuteA(HWND hWnd, const char *lpOperation, const char *lpFile,
                                                   const char *lpParameters, const char *lpDirectory, int nShowCmd)
{
    calls << call("ShellExecuteA", {number(hWnd), quoted(lpOperation), quoted(lpFile), quoted(lpParameters),
                                    quoted(lpDirectory), number(nShowCmd)});
    return shellResult(QString::fromUtf8(lpFile));
}

QStringList RecordingWindowSystem::callsOf(const QString &function) const
{
    QStringList matching;
    for (const QString &recorded : calls) {
        if (recorded.startsWith(function + u'('))
            matching << recorded;
    }
    return matching;
}
