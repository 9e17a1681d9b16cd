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

QStringList candidates()
{
    QStringList folders;
#ifdef Q_OS_WIN
    wchar_t path[MAX_PATH + 1];
    const DWORD length = sys().GetTempPathW(MAX_PATH + 1, path);
    if (length > 0 && length <= MAX_PATH)
        folders.append(QDir::fromNativeSeparators(QString::fromWCharArray(path, int(length))));
#else
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

bool makeTemporaryFile(const QString &base, TemporaryFile *file, QString *reason)
{
    QStringList failures;
    for (const QString &path : candidates()) {
        int error = 0;
        const std::shared_ptr<const Folder> folder = openFolder(path, &error);
        if (folder && file->create(folder, base, &error))
            return true;
        failures.append(QCoreApplication::translate("JoinEngine", "%1 (%2)")
                            .arg(QDir::toNativeSeparators(path), reasonText(systemErrorText(error))));
    }
    if (failures.isEmpty()) {
        *reason = QCoreApplication::translate("JoinEngine", "The system names no folder for temporary files");
        return false;
    }
    *reason = QCoreApplication::translate("JoinEngine", "No temporary file can be made in %1")
                  .arg(failures.join(QCoreApplication::translate("JoinEngine", ", nor in ")));
    return false;
}
