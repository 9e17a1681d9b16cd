#include "filemetadata.h"

#include "outputtarget.h"
#include "systemcalls.h"

#include <QByteArray>
#include <QFile>
#include <QList>

#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr mode_t ModeBits = 07777;

// The names of a file's extended attributes; false where they cannot be read. A file system
// without them has none.
bool attributeNames(int handle, QList<QByteArray> *names)
{
    for (int tries = 0; tries < 4; ++tries) {
        const ssize_t size = sys().flistxattr(handle, nullptr, 0);
        if (size < 0)
            return errno == ENOTSUP;
        QByteArray list(size, Qt::Uninitialized);
        const ssize_t got = sys().flistxattr(handle, list.data(), std::size_t(size));
        if (got < 0 && errno == ERANGE)
            continue; // it grew meanwhile
        if (got < 0)
            return false;
        list.truncate(got);
        for (const QByteArray &name : list.split('\0')) {
            if (!name.isEmpty())
                names->append(name);
        }
        return true;
    }
    return false;
}

bool attribute(int handle, const QByteArray &name, QByteArray *value)
{
    for (int tries = 0; tries < 4; ++tries) {
        const ssize_t size = sys().fgetxattr(handle, name.constData(), nullptr, 0);
        if (size < 0)
            return false;
        value->resize(size);
        const ssize_t got = sys().fgetxattr(handle, name.constData(), value->data(), std::size_t(size));
        if (got >= 0) {
            value->truncate(got);
            return true;
        }
        if (errno != ERANGE)
            return false;
    }
    return false;
}

// The original's attributes, and no others but those the system gives every file (a security
// label, say): an access ACL inherited from the folder goes.
bool copyAttributes(int original, int replacement)
{
    QList<QByteArray> wanted;
    QList<QByteArray> present;
    if (!attributeNames(original, &wanted) || !attributeNames(replacement, &present))
        return false;
    for (const QByteArray &name : present) {
        if (!wanted.contains(name) && !name.startsWith("security.") && sys().fremovexattr(replacement, name.constData()) != 0)
            return false;
    }
    for (const QByteArray &name : wanted) {
        QByteArray value;
        if (!attribute(original, name, &value)
            || sys().fsetxattr(replacement, name.constData(), value.constData(), std::size_t(value.size()), 0) != 0)
            return false;
    }
    return true;
}

bool setMode(int handle, mode_t mode)
{
    return uninterrupted([&] { return sys().fchmod(handle, mode); }) == 0;
}

} // namespace

bool copyMetadata(const OutputTarget &target, int replacement)
{
    const struct stat &original = target.status;
    struct stat made;
    if (sys().fstat(replacement, &made) != 0)
        return false;
    // A change of owner clears the set-ID bits, which the mode then sets again.
    if ((made.st_uid != original.st_uid || made.st_gid != original.st_gid)
        && sys().fchown(replacement, original.st_uid, original.st_gid) != 0)
        return false;

    const QByteArray name = QFile::encodeName(target.name);
    const int flags = O_RDONLY | O_NOFOLLOW | O_NOCTTY | O_NONBLOCK | O_CLOEXEC;
    const int handle = uninterrupted([&] { return sys().openat(target.folder->handle.get(), name.constData(), flags, 0); });
    if (handle < 0)
        return false;
    const Handle originalFile(handle);
    struct stat opened;
    if (sys().fstat(handle, &opened) != 0 || identityOf(opened) != identityOf(original))
        return false;
    if (!copyAttributes(handle, replacement) || !setMode(replacement, original.st_mode & ModeBits))
        return false;

    // The system may have dropped a bit quietly: a set-group-ID bit for a group we are not in.
    if (sys().fstat(replacement, &made) != 0)
        return false;
    return (made.st_mode & ModeBits) == (original.st_mode & ModeBits) && made.st_uid == original.st_uid
        && made.st_gid == original.st_gid;
}

bool writeLosesSetId(const OutputTarget &target)
{
    const uid_t user = ::geteuid();
    return (target.status.st_mode & (S_ISUID | S_ISGID)) != 0 && user != 0 && user != target.status.st_uid;
}

bool restoreMode(const OutputTarget &target, int handle, int *error)
{
    struct stat now;
    if (sys().fstat(handle, &now) != 0) {
        *error = errno;
        return false;
    }
    if ((now.st_mode & ModeBits) == (target.status.st_mode & ModeBits))
        return true;
    if (setMode(handle, target.status.st_mode & ModeBits))
        return true;
    *error = errno;
    return false;
}
