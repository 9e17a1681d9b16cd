#include "recordingwindowsystem.h"

#include <cstring>

using namespace winapi;

RecordingWindowSystem::RecordingWindowSystem()
{
    answers.GetSystemMetrics = [this](int nIndex) { return nIndex == SM_CXVSCROLL ? scrollBarWidth : 0; };
    answers.DrawTextA = [this](HDC, const char *lpStr, int nCount, RECT *lpRect, std::uint32_t wFormat) {
        if (wFormat & DT_CALCRECT) {
            const QString text = QString::fromUtf8(lpStr, nCount < 0 ? qsizetype(std::strlen(lpStr)) : nCount);
            lpRect->right = lpRect->left + textWidth(text);
            lpRect->bottom = lpRect->top + 15;
        }
        return 15;
    };
    answers.SetWindowPos = [this](HWND hWnd, HWND, int, int, int, int, std::uint32_t) { return windowPosResult(hWnd); };
    answers.ReleaseCapture = [] { return BOOL(1); };
    answers.GetWindowLongA = [this](HWND hWnd, int nIndex) {
        return hWnd && nIndex == GWL_EXSTYLE ? exStyles.value(hWnd) : 0;
    };
    answers.SetWindowLongA = [this](HWND hWnd, int nIndex, std::int32_t dwNewLong) {
        if (!styleWritable(hWnd) || nIndex != GWL_EXSTYLE)
            return 0;
        const std::int32_t previous = exStyles.value(hWnd);
        exStyles.insert(hWnd, dwNewLong);
        return previous;
    };
    answers.SetLayeredWindowAttributes = [this](HWND hWnd, COLORREF, std::uint8_t, std::uint32_t) {
        return layeredResult(hWnd);
    };
    answers.GetSysColor = [this](int nIndex) { return nIndex == COLOR_BTNFACE ? buttonFace : 0; };
    answers.GetVersionExA = [this](OSVERSIONINFO *lpVersionInformation) {
        lpVersionInformation->dwMajorVersion = majorVersion;
        lpVersionInformation->dwMinorVersion = 1;
        return BOOL(1);
    };
    answers.ShellExecuteA = [this](HWND, const char *, const char *lpFile, const char *, const char *, int) {
        return shellResult(QString::fromUtf8(lpFile));
    };
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

void RecordingWindowSystem::record(const char *function, const QStringList &arguments)
{
    calls << QString::fromLatin1(function) + u'(' + arguments.join(QStringLiteral(", ")) + u')';
}
