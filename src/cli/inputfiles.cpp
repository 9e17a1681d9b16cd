#include "inputfiles.h"

#include "folderfiles.h"
#include "joinengine.h"
#include "joinerror.h"
#include "naturalorder.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace {

std::optional<QString> appendFolder(const QString &folder, QStringList *files)
{
    QString reason;
    const QStringList inside = folderFiles(folder, &reason);
    if (inside.isEmpty())
        return cannotReadMessage(folder, reason.isEmpty() ? QStringLiteral("The folder holds no files") : reason);
    files->append(inside);
    return std::nullopt;
}

std::optional<QString> appendName(const QString &name, QStringList *files)
{
    if (name != StandardStreamPath && QFileInfo(name).isDir())
        return appendFolder(name, files);
    files->append(name);
    return std::nullopt;
}

#ifdef Q_OS_WIN
// What the C run-time's wildcard expansion does, but for the hidden files, which cmd's own
// commands leave out too, and the order: FindFirstFile's is the file system's, here it is the
// natural one that the window's folders and Explorer show.
std::optional<QString> appendMatches(const QString &pattern, QStringList *matches)
{
    qsizetype cut = std::max(pattern.lastIndexOf(u'\\'), pattern.lastIndexOf(u'/'));
    if (cut < 0 && pattern.size() > 1 && pattern.at(1) == u':')
        cut = 1; // "C:*.csv", in the drive's current folder
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileExW(QDir::toNativeSeparators(pattern).toStdWString().c_str(), FindExInfoBasic,
                                           &found, FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return cannotReadMessage(pattern, error == ERROR_FILE_NOT_FOUND ? QStringLiteral("No file matches it")
                                                                        : qt_error_string(int(error)));
    }
    QStringList names;
    do {
        const QString name = QString::fromWCharArray(found.cFileName);
        if (name != u"." && name != u".." && (found.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) == 0)
            names.append(name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    if (names.isEmpty())
        return cannotReadMessage(pattern, QStringLiteral("No file matches it"));
    std::sort(names.begin(), names.end(), naturalLess);
    const QString folder = pattern.left(cut + 1);
    for (const QString &name : std::as_const(names))
        matches->append(folder + name);
    return std::nullopt;
}

bool isPattern(const QString &name)
{
    const qsizetype cut = std::max(name.lastIndexOf(u'\\'), name.lastIndexOf(u'/'));
    return name.indexOf(u'*', cut + 1) >= 0 || name.indexOf(u'?', cut + 1) >= 0;
}
#endif

} // namespace

std::optional<QString> appendInputFiles(const QStringList &names, bool patterns, QStringList *files)
{
    for (const QString &name : names) {
#ifdef Q_OS_WIN
        if (patterns && isPattern(name)) {
            QStringList matches;
            if (auto problem = appendMatches(name, &matches))
                return problem;
            for (const QString &match : std::as_const(matches)) {
                if (auto problem = appendName(match, files))
                    return problem;
            }
            continue;
        }
#else
        Q_UNUSED(patterns);
#endif
        if (auto problem = appendName(name, files))
            return problem;
    }
    return std::nullopt;
}
