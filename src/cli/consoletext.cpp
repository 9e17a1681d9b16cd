#include "consoletext.h"

#ifdef Q_OS_WIN
#include <windows.h>

#include <io.h>

#include <algorithm>
#endif

namespace {

#ifdef Q_OS_WIN
// Older consoles refuse a write much larger than this.
constexpr DWORD MostAtOnce = 8192;

bool writeToConsole(std::FILE *stream, const QString &text)
{
    const auto console = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    DWORD mode = 0;
    if (console == INVALID_HANDLE_VALUE || !GetConsoleMode(console, &mode))
        return false;
    std::fflush(stream);
    const auto *units = reinterpret_cast<const wchar_t *>(text.utf16());
    for (qsizetype done = 0; done < text.size();) {
        DWORD written = 0;
        const DWORD size = DWORD(std::min<qsizetype>(text.size() - done, MostAtOnce));
        if (!WriteConsoleW(console, units + done, size, &written, nullptr) || written == 0)
            break;
        done += written;
    }
    return true;
}
#endif

} // namespace

void writeText(std::FILE *stream, const QString &text)
{
#ifdef Q_OS_WIN
    if (writeToConsole(stream, text))
        return;
#endif
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stream);
    std::fflush(stream);
}
