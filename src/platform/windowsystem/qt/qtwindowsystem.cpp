#include "qtwindowsystem.h"

#include "windowhandles.h"
#include "windowmessages.h"

#include <QApplication>
#include <QFontMetrics>
#include <QtMath>
#include <QScreen>
#include <QStyle>
#include <QWidget>

#include <cstring>

using namespace winapi;

namespace {

constexpr std::uint32_t DT_SINGLELINE = 0x20;
constexpr std::uint32_t DT_NOPREFIX = 0x800;

// The prefix character marks the next one as a keyboard mnemonic and takes no
// room of its own; a doubled one stands for itself.
QString withoutPrefixes(const QString &text)
{
    QString shown;
    shown.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == u'&') {
            if (i + 1 >= text.size())
                break;
            ++i;
        }
        shown.append(text.at(i));
    }
    return shown;
}

// Below U+0300 every character is a glyph of its own, drawn left to right
// without shaping; above begin combining marks and scripts that need it.
bool needsShaping(const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() >= 0x300)
            return true;
    }
    return false;
}

} // namespace

// The font's measures are taken once and kept until another font or screen
// density is asked for.
void QtWindowSystem::useFont(const QFont &font, QWidget *widget)
{
    if (m_advancesFont == font && m_advancesDevice == widget->logicalDpiX())
        return;
    const QFontMetricsF metrics(font, widget);
    for (char16_t c = 0; c < m_advances.size(); ++c)
        m_advances[c] = metrics.horizontalAdvance(QChar(c));
    m_lineHeight = QFontMetrics(font, widget).height();
    m_advancesFont = font;
    m_advancesDevice = widget->logicalDpiX();
}

// The width a line takes, as the system draws text: the advances of its
// characters, without kerning. The advances are kept per font, so measuring a
// long list of paths costs little more than reading them.
int QtWindowSystem::lineWidth(const QFont &font, QWidget *widget, const QString &line) const
{
    if (needsShaping(line))
        return QFontMetrics(font, widget).horizontalAdvance(line);
    qreal width = 0;
    for (const QChar c : line)
        width += m_advances[c.unicode()];
    return qCeil(width);
}

int QtWindowSystem::GetSystemMetrics(int nIndex)
{
    switch (nIndex) {
    case SM_CXVSCROLL:
        return QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    case SM_CXSCREEN:
    case SM_CYSCREEN:
        if (const QScreen *screen = QGuiApplication::primaryScreen())
            return nIndex == SM_CXSCREEN ? screen->geometry().width() : screen->geometry().height();
        return 0;
    default:
        return 0;
    }
}

int QtWindowSystem::DrawTextA(HDC hDC, const char *lpStr, int nCount, RECT *lpRect, std::uint32_t wFormat)
{
    QWidget *widget = WindowHandles::widgetOfDeviceContext(hDC);
    if (!widget || !lpStr || !lpRect)
        return 0;

    // Single-byte text here is UTF-8, the system's own encoding, so no file
    // name is narrowed on its way to be measured.
    const qsizetype length = nCount < 0 ? qsizetype(std::strlen(lpStr)) : qsizetype(nCount);
    QString text = QString::fromUtf8(lpStr, length);
    if (!(wFormat & DT_NOPREFIX))
        text = withoutPrefixes(text);

    const QFont font = widget->font();
    useFont(font, widget);
    int width = 0;
    int lines = 1;
    if ((wFormat & DT_SINGLELINE) || (!text.contains(u'\n') && !text.contains(u'\r'))) {
        width = lineWidth(font, widget, text);
    } else {
        // A line ends at CR LF, at a lone CR and at a lone LF.
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
        const QStringList parts = text.split(u'\n');
        lines = int(parts.size());
        for (const QString &line : parts)
            width = qMax(width, lineWidth(font, widget, line));
    }
    const int height = lines * m_lineHeight;

    if (wFormat & DT_CALCRECT) {
        lpRect->right = lpRect->left + width;
        lpRect->bottom = lpRect->top + height;
    }
    return height;
}

LRESULT QtWindowSystem::SendMessageA(HWND hWnd, std::uint32_t wMsg, WPARAM wParam, LPARAM lParam)
{
    if (const std::optional<LRESULT> answer = WindowMessages::deliver(hWnd, wMsg, wParam, lParam))
        return *answer;
    if (!WindowHandles::widget(hWnd))
        return 0;

    switch (wMsg) {
    case WM_NCLBUTTONDOWN:
        return wParam == HTCAPTION ? startSystemMove(hWnd) : 0;
    default:
        return 0;
    }
}

WindowSystem &WindowSystem::native()
{
    static QtWindowSystem system;
    return system;
}
