#include "folderfiles.h"

#include "naturalorder.h"

#include <QDir>

#include <algorithm>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <cerrno>

#include <dirent.h>
#endif

namespace {

// QDir lists an unreadable folder as an empty one; the system tells why it is not.
QString whyUnreadable(const QString &folder)
{
#ifdef Q_OS_WIN
    WIN32_FIND_DATAW found;
    const std::wstring pattern = QDir::toNativeSeparators(folder + QStringLiteral("/*")).toStdWString();
    const HANDLE search = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
    if (search != INVALID_HANDLE_VALUE) {
        FindClose(search);
        return QString();
    }
    const DWORD error = GetLastError();
    // A root folder that holds nothing has not even "." to find.
    return error == ERROR_FILE_NOT_FOUND ? QString() : qt_error_string(int(error));
#else
    DIR *dir = opendir(QFile::encodeName(folder).constData());
    if (dir == nullptr)
        return qt_error_string(errno);
    closedir(dir);
    return QString();
#endif
}

} // namespace

QStringList folderFiles(const QString &folder, QString *error)
{
    const QDir dir(folder);
    QStringList names = dir.entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::Unsorted);
    std::sort(names.begin(), names.end(), naturalLess);
    QStringList files;
    files.reserve(names.size());
    for (const QString &name : std::as_const(names))
        files.append(dir.filePath(name));
    if (error != nullptr)
        *error = files.isEmpty() ? whyUnreadable(folder) : QString();
    return files;
}
