#include "joinoutput.h"

#include "joinengine.h"
#include "joinerror.h"
#include "joinstop.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>

#include <cerrno>

#ifdef Q_OS_UNIX
#include "streamfile.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#ifdef Q_OS_WIN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#endif

namespace {

// As many links as Linux follows before it calls it a loop.
constexpr int MaxLinks = 40;

// The most that one flushing step writes to the disk before a cancel is looked at again.
constexpr qint64 FlushPiece = 32 << 20;

constexpr qint64 CopyPiece = 1 << 20;

QString tr(const char *text)
{
    return QCoreApplication::translate("JoinEngine", text);
}

QString nativePath(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

enum class Flush { Done, Cancelled, Failed };

// Writes the file's data to the disk. Where a cancel can still stop the join, that goes in
// pieces with a look at the stop between them (Linux), so that a cancel waits for one piece,
// not for the whole file.
Flush flushToDisk(QFileDevice &file, const JoinStop *stop, QString *reason)
{
    if (!file.flush()) {
        *reason = file.errorString();
        return Flush::Failed;
    }
    const int handle = file.handle();
#ifdef Q_OS_LINUX
    if (stop != nullptr) {
        const qint64 size = file.size();
        for (qint64 offset = 0; offset < size && !stop->cancelled(); offset += FlushPiece) {
            const unsigned flags = SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER;
            if (sync_file_range(handle, offset, FlushPiece, flags) != 0)
                break; // fsync() does it all
        }
    }
#endif
    if (stop != nullptr && stop->cancelled())
        return Flush::Cancelled;
#ifdef Q_OS_WIN
    if (!FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(handle)))) {
        *reason = qt_error_string(-1);
        return Flush::Failed;
    }
#else
    while (::fsync(handle) != 0) {
        if (errno != EINTR) {
            *reason = qt_error_string(errno);
            return Flush::Failed;
        }
    }
#endif
    return stop != nullptr && stop->cancelled() ? Flush::Cancelled : Flush::Done;
}

// Makes sure that the disk has room for @p size bytes of the file before anything in it is
// overwritten (Linux); elsewhere, and on file systems that cannot tell, that shows only while
// it is written.
bool reserveRoom(QFile &file, qint64 size, QString *reason)
{
#ifdef Q_OS_LINUX
    if (size > 0 && ::fallocate(file.handle(), FALLOC_FL_KEEP_SIZE, 0, size) != 0
        && (errno == ENOSPC || errno == EDQUOT || errno == EFBIG)) {
        *reason = qt_error_string(errno);
        return false;
    }
#else
    Q_UNUSED(file);
    Q_UNUSED(size);
    Q_UNUSED(reason);
#endif
    return true;
}

bool copyInPlace(QFile &from, QFile &to, qint64 size, char *buffer, QString *reason)
{
    if (!from.seek(0) || !to.seek(0)) {
        *reason = (from.error() != QFileDevice::NoError ? from : to).errorString();
        return false;
    }
    for (qint64 left = size; left > 0;) {
        const qint64 count = from.read(buffer, std::min(left, CopyPiece));
        if (count <= 0) {
            *reason = count < 0 ? from.errorString() : tr("The temporary copy ended early");
            return false;
        }
        if (to.write(buffer, count) != count) {
            *reason = to.errorString();
            return false;
        }
        left -= count;
    }
    if (!to.resize(size)) {
        *reason = to.errorString();
        return false;
    }
    return true;
}

} // namespace

JoinOutput::JoinOutput(const QString &path, const JoinStop &stop) : m_path(path), m_stop(stop) {}

JoinOutput::~JoinOutput() = default;

bool JoinOutput::open()
{
    if (m_path == StandardStreamPath)
        return openStandardOutput();

    QFileInfo info(m_path);
    for (int links = 0; info.isSymbolicLink(); ++links) {
        if (links == MaxLinks)
            return fail(tr("Too many levels of symbolic links"));
        info.setFile(info.symLinkTarget());
    }
    m_target = info.filePath();

#ifdef Q_OS_UNIX
    struct stat status;
    if (::stat(QFile::encodeName(m_target).constData(), &status) != 0)
        return errno == ENOENT ? openReplaced(false) : fail(qt_error_string(errno));
    if (S_ISDIR(status.st_mode))
        return fail(tr("It is a folder"));
    if (!S_ISREG(status.st_mode))
        return openDirect();
    return status.st_nlink > 1 ? openStaged() : openReplaced(true);
#else
    if (!info.exists())
        return openReplaced(false);
    if (info.isDir())
        return fail(tr("It is a folder"));
    return info.isFile() ? openReplaced(true) : openDirect();
#endif
}

bool JoinOutput::openReplaced(bool exists)
{
    auto file = std::make_unique<QSaveFile>(m_target);
    if (!file->open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return exists ? openStaged() : fail(file->errorString());
#ifdef Q_OS_UNIX
    // The file that the rename puts in the output's place must not hand it to another owner or
    // group.
    struct stat output;
    struct stat replacement;
    if (exists
        && (::stat(QFile::encodeName(m_target).constData(), &output) != 0
            || ::fstat(file->handle(), &replacement) != 0 || output.st_uid != replacement.st_uid
            || output.st_gid != replacement.st_gid)) {
        file.reset(); // takes its temporary file with it
        return openStaged();
    }
#endif
    m_kind = Kind::Replaced;
    m_writeBackHandle = file->handle();
    m_replacement = file.get();
    m_device = std::move(file);
    return true;
}

// The output is opened for writing now, so that a file that cannot be written is told before
// the join, but nothing in it changes before commit().
bool JoinOutput::openStaged()
{
    m_output = std::make_unique<QFile>(m_target);
    if (!m_output->open(QIODevice::ReadWrite | QIODevice::ExistingOnly | QIODevice::Unbuffered))
        return fail(m_output->errorString());
    const QFileInfo output(m_target);
    auto staging = std::make_unique<QTemporaryFile>(output.absolutePath() + QLatin1Char('/') + output.fileName()
                                                    + QStringLiteral(".XXXXXX"));
    if (!staging->open()) {
        staging = std::make_unique<QTemporaryFile>(QDir::tempPath() + QStringLiteral("/quillmere-join.XXXXXX"));
        if (!staging->open())
            return fail(tr("No temporary copy of the join can be made beside it or in %1: %2")
                            .arg(nativePath(QDir::tempPath()), staging->errorString()));
    }
    m_kind = Kind::Staged;
    m_writeBackHandle = staging->handle();
    m_staging = staging.get();
    m_device = std::move(staging);
    return true;
}

bool JoinOutput::openDirect()
{
    m_kind = Kind::Direct;
#ifdef Q_OS_UNIX
    const QByteArray name = QFile::encodeName(m_target);
    for (;;) {
        const int handle = ::open(name.constData(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (handle >= 0) {
            m_device = std::make_unique<StreamFile>(handle, true, QIODevice::WriteOnly, m_stop);
            return true;
        }
        // A pipe that nobody reads yet turns away a writer that does not wait: it waits here, a
        // little at a time.
        const int error = errno;
        struct stat status;
        if (error != ENXIO || ::stat(name.constData(), &status) != 0 || !S_ISFIFO(status.st_mode))
            return fail(qt_error_string(error));
        if (m_stop.requested())
            return false;
        ::poll(nullptr, 0, StopCheckMs);
    }
#else
    auto file = std::make_unique<QFile>(m_target);
    if (!file->open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return fail(file->errorString());
    m_device = std::move(file);
    return true;
#endif
}

bool JoinOutput::openStandardOutput()
{
    m_kind = Kind::Direct;
#ifdef Q_OS_UNIX
    struct stat status;
    if (::fstat(STDOUT_FILENO, &status) != 0)
        return fail(qt_error_string(errno));
#ifdef Q_OS_LINUX
    // A pipe opened anew is a handle of our own, which can be non-blocking without changing the
    // one that others share: each write then takes as much as the pipe does, not PIPE_BUF.
    if (S_ISFIFO(status.st_mode)) {
        const int handle = ::open("/proc/self/fd/1", O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (handle >= 0) {
            m_device = std::make_unique<StreamFile>(handle, true, QIODevice::WriteOnly, m_stop);
            return true;
        }
    }
#endif
    if (!S_ISREG(status.st_mode)) {
        m_device = std::make_unique<StreamFile>(STDOUT_FILENO, false, QIODevice::WriteOnly, m_stop);
        return true;
    }
#else
    // In text mode, every LF would gain a CR.
    _setmode(1, _O_BINARY);
#endif
    auto file = std::make_unique<QFile>();
    if (!file->open(1, QIODevice::WriteOnly | QIODevice::Unbuffered, QFileDevice::DontCloseHandle))
        return fail(file->errorString());
    m_device = std::move(file);
    return true;
}

void JoinOutput::startWriteBack()
{
#ifdef Q_OS_LINUX
    if (m_writeBackHandle >= 0)
        sync_file_range(m_writeBackHandle, 0, 0, SYNC_FILE_RANGE_WRITE);
#endif
}

QString JoinOutput::writeError() const
{
    return failureMessage(m_device->errorString());
}

QString JoinOutput::failureMessage(const QString &reason) const
{
    if (m_kind != Kind::Staged)
        return cannotWriteMessage(m_path, reason);
    return cannotWriteMessage(m_path, tr("Its temporary copy %1 cannot be written: %2")
                                          .arg(nativePath(m_staging->fileName()), reason));
}

bool JoinOutput::commit()
{
    switch (m_kind) {
    case Kind::Direct:
        return true;
    case Kind::Replaced:
        if (!flushBeforeReplacing(*m_replacement))
            return false;
        // From here on the output is replaced, whatever comes.
        return m_replacement->commit() || fail(m_replacement->errorString());
    case Kind::Staged:
        return commitStaged();
    }
    return false;
}

// Flushes the join to the disk while a cancel can still stop it.
bool JoinOutput::flushBeforeReplacing(QFileDevice &file)
{
    QString reason;
    switch (flushToDisk(file, &m_stop, &reason)) {
    case Flush::Done:
        return true;
    case Flush::Cancelled:
        return false;
    case Flush::Failed:
        break;
    }
    m_error = failureMessage(reason);
    return false;
}

bool JoinOutput::commitStaged()
{
    if (!flushBeforeReplacing(*m_staging))
        return false;
    const qint64 size = m_staging->size();
    const auto buffer = std::make_unique_for_overwrite<char[]>(CopyPiece);
    QString reason;
    if (!reserveRoom(*m_output, size, &reason))
        return fail(reason);
    if (m_stop.cancelled())
        return false;

    // From here on the output is being replaced, and a cancel no longer stops that. Should it
    // fail, the complete join stays in the temporary copy, which the message names.
    if (!copyInPlace(*m_staging, *m_output, size, buffer.get(), &reason)
        || flushToDisk(*m_output, nullptr, &reason) != Flush::Done) {
        m_staging->setAutoRemove(false);
        return fail(tr("%1; the whole join is kept in %2").arg(reasonText(reason), nativePath(m_staging->fileName())));
    }
    return true;
}

bool JoinOutput::fail(const QString &reason)
{
    m_error = cannotWriteMessage(m_path, reason);
    return false;
}
