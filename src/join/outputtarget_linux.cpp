#include "outputtarget.h"

#include "systemcalls.h"

#include <QFile>

#include <cerrno>
#include <climits>

#include <fcntl.h>

namespace {

// As many links as Linux follows before it calls it a loop.
constexpr int MaxLinks = 40;

bool openFolder(int base, const QByteArray &path, Handle *folder, int *error)
{
    const int flags = O_PATH | O_DIRECTORY | O_CLOEXEC;
    const int handle = uninterrupted([&] { return sys().openat(base, path.constData(), flags, 0); });
    if (handle < 0) {
        *error = errno;
        return false;
    }
    *folder = Handle(handle);
    return true;
}

// Where the folder really lies, for the messages: the system knows it by the handle.
QString folderPath(int handle, const QByteArray &asGiven)
{
    char path[PATH_MAX];
    const QByteArray link = "/proc/self/fd/" + QByteArray::number(handle);
    const ssize_t length = sys().readlinkat(AT_FDCWD, link.constData(), path, sizeof path);
    if (length > 0 && length < ssize_t(sizeof path) && path[0] == '/')
        return QFile::decodeName(QByteArray(path, length));
    return QFile::decodeName(asGiven);
}

OutputTarget::Type typeOf(mode_t mode)
{
    if (S_ISREG(mode))
        return OutputTarget::Type::Regular;
    if (S_ISDIR(mode))
        return OutputTarget::Type::Folder;
    if (S_ISSOCK(mode))
        return OutputTarget::Type::Socket;
    return OutputTarget::Type::Stream;
}

bool handleIdentity(int handle, FileIdentity *identity, int *error)
{
    struct stat status;
    if (sys().fstat(handle, &status) != 0) {
        *error = errno;
        return false;
    }
    *identity = identityOf(status);
    return true;
}

} // namespace

bool locateOutput(const QString &path, OutputTarget *target, int *error)
{
    QByteArray rest = QFile::encodeName(path);
    Handle base; // the folder that a relative link is read from; none: the current folder
    for (int links = 0; links <= MaxLinks; ++links) {
        bool folderOnly = false;
        while (rest.size() > 1 && rest.endsWith('/')) {
            rest.chop(1);
            folderOnly = true;
        }
        if (rest.isEmpty()) {
            *error = ENOENT;
            return false;
        }
        const qsizetype slash = rest.lastIndexOf('/');
        const QByteArray folderPart = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : rest.left(slash);
        const QByteArray name = rest == "/" ? QByteArray(".") : rest.mid(slash + 1);

        Handle folder;
        if (!openFolder(base.isValid() ? base.get() : AT_FDCWD, folderPart, &folder, error))
            return false;
        struct stat status = {};
        OutputTarget::Type type = OutputTarget::Type::Missing;
        if (sys().fstatat(folder.get(), name.constData(), &status, AT_SYMLINK_NOFOLLOW) == 0) {
            if (S_ISLNK(status.st_mode)) {
                char link[PATH_MAX];
                const ssize_t length = sys().readlinkat(folder.get(), name.constData(), link, sizeof link);
                if (length < 0 || length == ssize_t(sizeof link)) {
                    *error = length < 0 ? errno : ENAMETOOLONG;
                    return false;
                }
                rest = QByteArray(link, length) + (folderOnly ? "/" : "");
                base = rest.startsWith('/') ? Handle() : std::move(folder);
                continue;
            }
            type = typeOf(status.st_mode);
        } else if (errno != ENOENT) {
            *error = errno;
            return false;
        }
        // As open() has it: a name that ends in a slash must be a folder.
        if (folderOnly && type != OutputTarget::Type::Folder) {
            *error = type == OutputTarget::Type::Missing ? EISDIR : ENOTDIR;
            return false;
        }

        auto where = std::make_shared<Folder>();
        where->path = folderPath(folder.get(), folderPart);
        where->handle = std::move(folder);
        target->type = type;
        target->folder = std::move(where);
        target->name = QFile::decodeName(name);
        target->status = status;
        target->identity = type == OutputTarget::Type::Missing ? FileIdentity{} : identityOf(status);
        target->linked = status.st_nlink > 1;
        return true;
    }
    *error = ELOOP;
    return false;
}

bool stillLeadsThere(const QString &path, const OutputTarget &target, int *error)
{
    OutputTarget now;
    FileIdentity folderNow;
    FileIdentity folderThen;
    *error = 0;
    if (!locateOutput(path, &now, error) || !handleIdentity(now.folder->handle.get(), &folderNow, error)
        || !handleIdentity(target.folder->handle.get(), &folderThen, error))
        return false;
    return now.type == target.type && now.name == target.name && now.identity == target.identity
        && folderNow == folderThen;
}
