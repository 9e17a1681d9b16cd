#include "joinoutput.h"

#include "filemetadata.h"
#include "joinerror.h"
#include "joinstop.h"
#include "systemcalls.h"

#include <QCoreApplication>
#include <QDir>

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

// The most that one flushing step writes to the disk before a cancel is looked at again.
constexpr qint64 FlushPiece = 32 << 20;

QString tr(const char *text)
{
    return QCoreApplication::translate("JoinEngine", text);
}

int openRetrying(int folder, const QByteArray &name, int flags)
{
    return uninterrupted([&] { return sys().openat(folder, name.constData(), flags | O_CLOEXEC, 0); });
}

// Joins into the same file wait for each other's copy; the lock goes with the handle.
bool lockForCopy(int handle, int *error)
{
    if (uninterrupted([&] { return sys().flock(handle, LOCK_EX | LOCK_NB); }) == 0)
        return true;
    *error = errno;
    return false;
}

} // namespace

// Only where the new file can be made what the old one is; else it is staged.
bool JoinOutput::openReplaced()
{
    TemporaryFile replacement;
    int error = 0;
    if (!replacement.create(m_target.folder, m_target.name, &error) || !copyMetadata(m_target, replacement.file().handle()))
        return false;
    m_temporary = std::move(replacement);
    m_kind = Kind::Replaced;
    return true;
}

// The output is opened for writing now, so that a file that cannot be written is told before
// the join, but nothing in it changes before commit().
bool JoinOutput::openStaged()
{
    if (writeLosesSetId(m_target))
        return fail(tr("Only its owner can write it without losing its set-user-ID or set-group-ID bit"));
    const int handle = openRetrying(m_target.folder->handle.get(), QFile::encodeName(m_target.name),
                                    O_WRONLY | O_NOFOLLOW | O_NOCTTY | O_NONBLOCK);
    if (handle < 0)
        return failWith(errno);
    m_output = std::make_unique<SystemFile>(Handle(handle), QIODevice::WriteOnly, SystemFile::Kind::Regular);
    int error = 0;
    if (!lockForCopy(m_output->handle(), &error))
        return error == EWOULDBLOCK ? fail(tr("Another join into it is under way")) : failWith(error);
    if (!stageBesideOrElsewhere())
        return false;
    m_kind = Kind::Staged;
    return true;
}

bool JoinOutput::openDirect()
{
    m_kind = Kind::Direct;
    const QByteArray name = QFile::encodeName(m_target.name);
    const int folder = m_target.folder->handle.get();
    for (;;) {
        const int handle = openRetrying(folder, name, O_WRONLY | O_NONBLOCK | O_NOCTTY);
        if (handle >= 0) {
            m_output = std::make_unique<SystemFile>(Handle(handle), QIODevice::WriteOnly, SystemFile::Kind::Stream, &m_stop);
            return true;
        }
        // A pipe that nobody reads yet turns away a writer that does not wait: it waits here, a
        // little at a time.
        if (errno != ENXIO || !S_ISFIFO(m_target.status.st_mode))
            return failWith(errno);
        if (m_stop.requested())
            return false;
        sys().poll(nullptr, 0, StopCheckMs);
    }
}

bool JoinOutput::openStandardOutput()
{
    m_kind = Kind::Direct;
    struct stat status;
    if (sys().fstat(STDOUT_FILENO, &status) != 0)
        return failWith(errno);
    if (S_ISREG(status.st_mode)) {
        m_standardOutput = identityOf(status);
        m_output = std::make_unique<SystemFile>(Handle::borrowed(STDOUT_FILENO), QIODevice::WriteOnly,
                                                SystemFile::Kind::Regular);
        return true;
    }
    // A pipe opened anew is a handle of our own, which can be non-blocking without changing the
    // one that others share: each write then takes as much as the pipe does, not PIPE_BUF.
    if (S_ISFIFO(status.st_mode)) {
        const int handle = openRetrying(AT_FDCWD, "/proc/self/fd/1", O_WRONLY | O_NONBLOCK);
        if (handle >= 0) {
            m_output = std::make_unique<SystemFile>(Handle(handle), QIODevice::WriteOnly, SystemFile::Kind::Stream, &m_stop);
            return true;
        }
    }
    m_output = std::make_unique<SystemFile>(Handle::borrowed(STDOUT_FILENO), QIODevice::WriteOnly, SystemFile::Kind::Stream,
                                            &m_stop);
    return true;
}

void JoinOutput::startWriteBack()
{
    if (m_kind != Kind::Direct)
        sys().sync_file_range(m_temporary.file().handle(), 0, 0, SYNC_FILE_RANGE_WRITE);
}

// A write by anyone but root clears the set-ID bits that the replacement was given: they are
// set again once the join is written.
bool JoinOutput::finishReplacement()
{
    int error = 0;
    return restoreMode(m_target, m_temporary.file().handle(), &error) || failWith(error);
}

// Writes the join to the disk in pieces, with a look at the stop between them, so that a cancel
// waits for one piece, not for the whole file. @p size is -1 where the caller has not asked for
// it; where the system cannot tell it either, the sync does it all.
void JoinOutput::writeBackInPieces(SystemFile &file, qint64 size)
{
    if (size < 0)
        size = file.fileSize();
    for (qint64 offset = 0; offset < size && !m_stop.cancelled(); offset += FlushPiece) {
        const unsigned flags = SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER;
        if (sys().sync_file_range(file.handle(), offset, FlushPiece, flags) != 0 && errno != EINTR)
            return; // the sync does it all
    }
}

// Makes sure that the disk has room for the whole join before anything in the output is
// overwritten; on file systems that cannot tell, that shows only while it is written.
bool JoinOutput::reserveRoom(qint64 size, QString *reason)
{
    const int handle = m_output->handle();
    if (size == 0 || uninterrupted([&] { return sys().fallocate(handle, FALLOC_FL_KEEP_SIZE, 0, size); }) == 0)
        return true;
    if (errno == ENOSPC || errno == EDQUOT || errno == EFBIG) {
        *reason = systemErrorText(errno);
        return false;
    }
    return true;
}
