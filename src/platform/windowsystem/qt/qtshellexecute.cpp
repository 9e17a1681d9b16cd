// Opening a document or an address through the desktop, emulated over Qt.
#include "qtwindowsystem.h"

#include "desktopopener.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>

using namespace winapi;

namespace {

// The answers of ShellExecute: a value above 32 is success.
constexpr std::intptr_t ERROR_FILE_NOT_FOUND = 2;
constexpr std::intptr_t ERROR_PATH_NOT_FOUND = 3;
constexpr std::intptr_t SE_ERR_NOASSOC = 31;
constexpr std::intptr_t Opened = 42;

class QtDesktopOpener final : public DesktopOpener
{
public:
    bool open(const QUrl &url) override { return QDesktopServices::openUrl(url); }
};

// An address starts with a scheme of two letters or more, so that a drive
// letter is never taken for one.
bool isAddress(const QString &target)
{
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
    return scheme.match(target).hasMatch();
}

std::intptr_t openFile(QString path, const char *lpDirectory)
{
    if (QDir::isRelativePath(path)) {
        const QString directory = lpDirectory && *lpDirectory ? QString::fromUtf8(lpDirectory) : QDir::currentPath();
        path = QDir(directory).absoluteFilePath(path);
    }
    const QFileInfo file(path);
    if (!file.exists())
        return QFileInfo(file.absolutePath()).isDir() ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
    return DesktopOpener::current().open(QUrl::fromLocalFile(file.absoluteFilePath())) ? Opened : SE_ERR_NOASSOC;
}

} // namespace

DesktopOpener &DesktopOpener::native()
{
    static QtDesktopOpener opener;
    return opener;
}

// Text is UTF-8. Only the default verb ("open") is known: the desktop offers
// no other. Parameters and the show command are the opened program's
// business, which the desktop does not pass on, and the owner window is only
// for what the shell shows; none is needed to open.
std::intptr_t QtWindowSystem::ShellExecuteA(HWND, const char *lpOperation, const char *lpFile, const char *,
                                            const char *lpDirectory, int)
{
    if (lpOperation && *lpOperation && QString::fromUtf8(lpOperation).compare(u"open", Qt::CaseInsensitive) != 0)
        return SE_ERR_NOASSOC;
    if (!lpFile || !*lpFile)
        return ERROR_FILE_NOT_FOUND;

    const QString target = QString::fromUtf8(lpFile);
    if (!isAddress(target))
        return openFile(target, lpDirectory);
    const QUrl address(target, QUrl::StrictMode);
    if (!address.isValid())
        return ERROR_FILE_NOT_FOUND;
    if (address.isLocalFile())
        return openFile(address.toLocalFile(), lpDirectory);
    return DesktopOpener::current().open(address) ? Opened : SE_ERR_NOASSOC;
}
