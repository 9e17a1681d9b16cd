#pragma once

#include <QString>

#include <memory>

class QFile;
class QFileDevice;
class QIODevice;
class QSaveFile;
class QTemporaryFile;
struct JoinStop;

/**
 * Where a join writes, chosen so that what the output is never changes:
 *
 * - no output yet, or a regular file with one link, of the owner and group that a new file gets,
 *   in a folder that takes new files: the join is written beside it and renamed over it, its
 *   permissions kept;
 * - any other regular file (hard-linked, another owner or group, a folder that takes no new
 *   file): the join is staged in a temporary file, beside it or else in the system's temporary
 *   folder, and then copied into it in place, so that its inode, links, owner, group and
 *   permissions stay;
 * - a file that is no regular file (a device, a pipe, a socket) or the standard output ("-"):
 *   written straight into, as it holds nothing to protect.
 *
 * Symbolic links are followed to their target, which a dangling link creates; a loop of links is
 * an error. A regular output is touched only in commit(), once the join is complete and on the
 * disk; until then a failure or a cancel leaves it as it was, and no temporary file remains.
 */
class JoinOutput
{
public:
    JoinOutput(const QString &path, const JoinStop &stop);
    ~JoinOutput();

    /** Opens what the join writes to; false when it cannot, or when the join is cancelled. */
    bool open();

    /** Where the join writes, once open() succeeded. */
    QIODevice &device() { return *m_device; }

    /** Starts the disk writing what is written so far, without waiting for it (Linux). */
    void startWriteBack();

    /**
     * Puts the complete join in the output's place. A cancel before that starts, the flushing
     * to the disk included, leaves the output as it was and makes this return false; once the
     * output is being replaced, that is completed.
     */
    bool commit();

    /** The message for a write to device() that failed. */
    QString writeError() const;

    /** Why open() or commit() failed; empty when the join was cancelled. */
    QString errorMessage() const { return m_error; }

private:
    enum class Kind { Replaced, Staged, Direct };

    bool openReplaced(bool exists);
    bool openStaged();
    bool openDirect();
    bool openStandardOutput();
    bool flushBeforeReplacing(QFileDevice &file);
    bool commitStaged();
    QString failureMessage(const QString &reason) const;
    bool fail(const QString &reason);

    QString m_path;   ///< as given, for the messages
    QString m_target; ///< with the symbolic links followed
    const JoinStop &m_stop;
    Kind m_kind = Kind::Direct;
    std::unique_ptr<QIODevice> m_device;
    QSaveFile *m_replacement = nullptr; ///< m_device, where Replaced
    QTemporaryFile *m_staging = nullptr; ///< m_device, where Staged
    std::unique_ptr<QFile> m_output;     ///< where Staged
    int m_writeBackHandle = -1;
    QString m_error;
};
