#include "consolecodepage.h"

#ifdef Q_OS_WIN
#include <windows.h>
#endif

#ifdef Q_OS_WIN

// The program's own code pages are UTF-8, as its manifest asks, which GetOEMCP() may say too: the
// system's is asked of its locale.
unsigned consoleCodePage()
{
    if (const UINT console = GetConsoleOutputCP(); console != 0)
        return console;
    DWORD system = 0;
    if (GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTCODEPAGE | LOCALE_RETURN_NUMBER,
                       reinterpret_cast<LPWSTR>(&system), sizeof system / sizeof(WCHAR))
        != 0) {
        return system;
    }
    return GetOEMCP();
}

std::optional<QString> consoleCodePageText(QByteArrayView bytes)
{
    const UINT codePage = consoleCodePage();
    if (bytes.isEmpty())
        return QString();
    const int size = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), int(bytes.size()), nullptr, 0);
    if (size <= 0)
        return std::nullopt;
    QString text(size, Qt::Uninitialized);
    MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), int(bytes.size()),
                        reinterpret_cast<LPWSTR>(text.data()), size);
    return text;
}

#else

unsigned consoleCodePage()
{
    return 0;
}

std::optional<QString> consoleCodePageText(QByteArrayView)
{
    return std::nullopt;
}

#endif
