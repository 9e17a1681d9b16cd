#include "temporaryfolder.h"

#include "joinerror.h"
#include "systemcalls.h"

#include <QCoreApplication>
#include <QDir>
#include <QStringList>

#ifndef Q_OS_WIN
#include <cerrno>
#include <cstdlib>

#include <fcntl.h>
#endif

namespace {

QStringList candidates(QStringList *failures)
{
    QStringList folders;
#ifdef Q_OS_WIN
    wchar_t path[MAX_PATH + 1];
    const DWORD length = sys().GetTempPathW(MAX_PATH + 1, path);
    if (length > 0 && length <= MAX_PATH)
        folders.append(QDir::fromNativeSeparators(QString::fromWCharArray(path, int(length))));
    else
        failures->append(QCoreApplication::translate("JoinEngine", "in the folder for temporary files (%1)")
                             .arg(reasonText(systemErrorText(length == 0 ? lastSystemError() : int(ERROR_BUFFER_OVERFLOW)))));
#else
    Q_UNUSED(failures);
    const QString named = QFile::decodeName(qgetenv("TMPDIR"));
    if (!named.isEmpty())
        folders.append(named);
    folders.append(QStringLiteral("/tmp"));
#endif
    for (QString &folder : folders) {
        while (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
            folder.chop(1);
    }
    folders.removeDuplicates();
    folders.removeAll(QStringLiteral("/"));
    return folders;
}

// The folder opened, so that the file is made where it was found.
std::shared_ptr<const Folder> openFolder(const QString &path, int *error)
{
    auto folder = std::make_shared<Folder>();
    folder->path = path;
#ifndef Q_OS_WIN
    const int handle = sys().openat(AT_FDCWD, QFile::encodeName(path).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC, 0);
    if (handle < 0) {
        *error = errno;
        return nullptr;
    }
    folder->handle = Handle(handle);
#else
    Q_UNUSED(error);
#endif
    return folder;
}

} // namespace

bool makeTemporaryFile(const QString &base, TemporaryFile *file, QStringList *failures)
{
    const QStringList folders = candidates(failures);
    for (const QString &path : folders) {
        int error = 0;
        const std::shared_ptr<const Folder> folder = openFolder(path, &error);
        if (folder && file->create(folder, base, &error))
            return true;
        failures->append(QCoreApplication::translate("JoinEngine", "in %1 (%2)")
                             .arg(displayPath(path), reasonText(systemErrorText(error))));
    }
    return false;
}

QString placesTried(const QStringList &failures)
{
    if (failures.size() < 2)
        return failures.join(QString());
    return QCoreApplication::translate("JoinEngine", "%1 or %2")
        .arg(failures.mid(0, failures.size() - 1).join(QStringLiteral(", ")), failures.last());
}
