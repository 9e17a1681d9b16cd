#include "joininput.h"

#include "joinengine.h"

#include <QCoreApplication>
#include <QFile>

#ifdef Q_OS_UNIX
#include "streamfile.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#else
#include <QFileInfo>

#include <fcntl.h>
#include <io.h>
#endif

namespace {

QString folderReason()
{
    return QCoreApplication::translate("JoinEngine", "It is a folder");
}

} // namespace

#ifdef Q_OS_UNIX

namespace {

qint64 failure(int error, QString *reason)
{
    *reason = qt_error_string(error);
    return -1;
}

// A regular file as a plain QFile; anything else waits in its reads.
std::unique_ptr<QIODevice> wrap(int handle, bool owned, const JoinStop &stop, QString *error)
{
    struct stat status;
    if (::fstat(handle, &status) != 0) {
        failure(errno, error);
    } else if (S_ISDIR(status.st_mode)) {
        *error = folderReason();
    } else if (!S_ISREG(status.st_mode)) {
        return std::make_unique<StreamFile>(handle, owned, QIODevice::ReadOnly, stop);
    } else if (auto file = std::make_unique<QFile>();
               file->open(handle, QIODevice::ReadOnly | QIODevice::Unbuffered,
                          owned ? QFileDevice::AutoCloseHandle : QFileDevice::DontCloseHandle)) {
        return file;
    } else {
        *error = file->errorString();
    }
    if (owned)
        ::close(handle);
    return nullptr;
}

} // namespace

qint64 checkInput(const QString &path, QString *error)
{
    struct stat status;
    if (path == StandardStreamPath) {
        if (::fstat(STDIN_FILENO, &status) != 0)
            return failure(errno, error);
        return S_ISREG(status.st_mode) ? status.st_size : 0;
    }
    const QByteArray name = QFile::encodeName(path);
    if (::stat(name.constData(), &status) != 0)
        return failure(errno, error);
    if (S_ISDIR(status.st_mode)) {
        *error = folderReason();
        return -1;
    }
    if (S_ISREG(status.st_mode)) {
        const int handle = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (handle < 0)
            return failure(errno, error);
        ::close(handle);
        return status.st_size;
    }
    if (S_ISSOCK(status.st_mode))
        return failure(ENXIO, error);
    if (::faccessat(AT_FDCWD, name.constData(), R_OK, AT_EACCESS) != 0)
        return failure(errno, error);
    return 0;
}

std::unique_ptr<QIODevice> openInput(const QString &path, const JoinStop &stop, QString *error)
{
    if (path == StandardStreamPath)
        return wrap(STDIN_FILENO, false, stop, error);
    const int handle = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (handle < 0) {
        failure(errno, error);
        return nullptr;
    }
    return wrap(handle, true, stop, error);
}

#else // Windows, whose file system holds no pipes: plain reads. Only a standard input that is a
      // pipe could keep one waiting, and that wait is not cut short.

qint64 checkInput(const QString &path, QString *error)
{
    if (path == StandardStreamPath)
        return 0;
    if (QFileInfo(path).isDir()) {
        *error = folderReason();
        return -1;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return -1;
    }
    return file.size();
}

std::unique_ptr<QIODevice> openInput(const QString &path, const JoinStop &, QString *error)
{
    auto file = std::make_unique<QFile>(path);
    bool opened = false;
    if (path == StandardStreamPath) {
        // The standard input in text mode would turn CR LF into LF.
        _setmode(0, _O_BINARY);
        opened = file->open(0, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::DontCloseHandle);
    } else {
        opened = file->open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    if (!opened) {
        *error = file->errorString();
        return nullptr;
    }
    return file;
}

#endif
