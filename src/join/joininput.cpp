#include "joininput.h"

#include "joinengine.h"
#include "systemcalls.h"
#include "systemfile.h"

#include <QCoreApplication>
#include <QFile>

#ifndef Q_OS_WIN
#include <cerrno>

#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("JoinEngine", text);
}

qint64 failure(int error, QString *reason)
{
    *reason = systemErrorText(error);
    return -1;
}

} // namespace

#ifdef Q_OS_WIN

namespace {

HANDLE openForReading(const QString &path)
{
    return sys().CreateFileW(nativePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
}

qint64 describe(HANDLE handle, FileIdentity *identity, QString *error)
{
    if (sys().GetFileType(handle) != FILE_TYPE_DISK)
        return 0;
    BY_HANDLE_FILE_INFORMATION information;
    LARGE_INTEGER size;
    if (!sys().GetFileInformationByHandle(handle, &information) || !sys().GetFileSizeEx(handle, &size))
        return failure(lastSystemError(), error);
    *identity = identityOf(information);
    return size.QuadPart;
}

} // namespace

qint64 checkInput(const QString &path, FileIdentity *identity, QString *error)
{
    if (path == StandardStreamPath)
        return describe(::GetStdHandle(STD_INPUT_HANDLE), identity, error);
    const DWORD attributes = sys().GetFileAttributesW(nativePath(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return failure(lastSystemError(), error);
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        *error = tr("It is a folder");
        return -1;
    }
    const HANDLE handle = openForReading(path);
    if (handle == INVALID_HANDLE_VALUE)
        return failure(lastSystemError(), error);
    const Handle file(handle);
    return describe(handle, identity, error);
}

std::unique_ptr<QIODevice> openInput(const QString &path, const JoinStop &stop, QString *error)
{
    Handle handle;
    if (path == StandardStreamPath) {
        handle = Handle::borrowed(::GetStdHandle(STD_INPUT_HANDLE));
    } else if (const HANDLE opened = openForReading(path); opened != INVALID_HANDLE_VALUE) {
        handle = Handle(opened);
    } else {
        failure(lastSystemError(), error);
        return nullptr;
    }
    const SystemFile::Kind kind =
        sys().GetFileType(handle.get()) == FILE_TYPE_DISK ? SystemFile::Kind::Regular : SystemFile::Kind::Stream;
    return std::make_unique<SystemFile>(std::move(handle), QIODevice::ReadOnly, kind, &stop);
}

#else

namespace {

qint64 describe(const struct stat &status, FileIdentity *identity, QString *error)
{
    if (S_ISDIR(status.st_mode)) {
        *error = tr("It is a folder");
        return -1;
    }
    if (S_ISSOCK(status.st_mode)) {
        *error = tr("It is a socket");
        return -1;
    }
    *identity = identityOf(status);
    return S_ISREG(status.st_mode) ? status.st_size : 0;
}

int openForReading(const QByteArray &name)
{
    return uninterrupted(
        [&] { return sys().openat(AT_FDCWD, name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0); });
}

} // namespace

qint64 checkInput(const QString &path, FileIdentity *identity, QString *error)
{
    struct stat status;
    if (path == StandardStreamPath) {
        if (sys().fstat(STDIN_FILENO, &status) != 0)
            return failure(errno, error);
        return describe(status, identity, error);
    }
    const QByteArray name = QFile::encodeName(path);
    if (sys().fstatat(AT_FDCWD, name.constData(), &status, 0) != 0)
        return failure(errno, error);
    const qint64 size = describe(status, identity, error);
    if (size < 0)
        return -1;
    if (S_ISREG(status.st_mode)) {
        const int handle = openForReading(name);
        if (handle < 0)
            return failure(errno, error);
        Handle(handle).close();
        return size;
    }
    if (sys().faccessat(AT_FDCWD, name.constData(), R_OK, AT_EACCESS) != 0)
        return failure(errno, error);
    return 0;
}

std::unique_ptr<QIODevice> openInput(const QString &path, const JoinStop &stop, QString *error)
{
    Handle handle;
    if (path == StandardStreamPath) {
        handle = Handle::borrowed(STDIN_FILENO);
    } else if (const int opened = openForReading(QFile::encodeName(path)); opened >= 0) {
        handle = Handle(opened);
    } else {
        failure(errno, error);
        return nullptr;
    }
    struct stat status;
    if (sys().fstat(handle.get(), &status) != 0) {
        failure(errno, error);
        return nullptr;
    }
    FileIdentity identity;
    if (describe(status, &identity, error) < 0)
        return nullptr;
    const SystemFile::Kind kind = S_ISREG(status.st_mode) ? SystemFile::Kind::Regular : SystemFile::Kind::Stream;
    return std::make_unique<SystemFile>(std::move(handle), QIODevice::ReadOnly, kind, &stop);
}

#endif
