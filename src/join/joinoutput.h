#pragma once

#include "fileidentity.h"
#include "outputtarget.h"
#include "systemfile.h"
#include "temporaryfile.h"

#include <QString>

#include <memory>

class QIODevice;
struct JoinStop;

/**
 * Where a join writes, chosen so that what the output is never changes. The output is the file
 * that opening its path reaches, symbolic links followed by the system one at a time:
 *
 * - no such file yet: the join is written to a temporary file beside it, which takes its name
 *   only where that name is still free at the end;
 * - a regular file that a rename loses nothing of: the join is written beside it, given the
 *   file's owner, group, mode bits, ACLs and extended attributes, and renamed over it;
 * - any other regular file (hard-linked, of another owner, in a folder that takes no new file,
 *   or whose metadata cannot be given to a new file): the join is staged in a temporary file,
 *   beside it or else in the folder for temporary files, and then copied into it in place under
 *   a lock that keeps a second join out, so that the file itself stays;
 * - a device or a pipe, or the standard output ("-"): written straight into. A folder or a
 *   socket is no output.
 *
 * A regular output is touched only in commit(), once the join is complete and on the disk, and
 * only if its path still leads to the file it led to at the start; until then a failure or a
 * cancel leaves it as it was, and no temporary file remains. Temporary files have no name while
 * the system allows it, so that none is left whatever becomes of the program.
 */
class JoinOutput
{
public:
    JoinOutput(const QString &path, const JoinStop &stop);
    ~JoinOutput();

    /** Opens what the join writes to; false when it cannot, or when the join is cancelled. */
    bool open();

    /** Where the join writes, once open() succeeded. */
    QIODevice &device();

    /** Where the standard output is the output and a regular file: which file that is. */
    FileIdentity standardOutputFile() const { return m_standardOutput; }

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
    enum class Kind { New, Replaced, Staged, Direct };

    bool openNew();
    bool openReplaced();
    bool openStaged();
    bool openDirect();
    bool openStandardOutput();
    bool stageBesideOrElsewhere();
    bool finishReplacement();
    void writeBackInPieces(SystemFile &file, qint64 size);
    bool flushBeforeReplacing(SystemFile &file, qint64 size = -1);
    bool commitStaged();
    bool copyInPlace(qint64 size, QString *reason);
    bool reserveRoom(qint64 size, QString *reason);
    QString stagingPlace() const;
    QString failureMessage(const QString &reason) const;
    bool fail(const QString &reason);
    bool failWith(int error);
    /** Fails for @p reason, naming where the whole join stays. */
    bool failKept(const QString &reason);
    /** Whether the output's path still leads to it; else fails with why not. */
    bool stillThere();

    QString m_path; ///< as given, for the messages
    const JoinStop &m_stop;
    Kind m_kind = Kind::Direct;
    OutputTarget m_target;
    TemporaryFile m_temporary;            ///< the join, but where Direct
    std::unique_ptr<SystemFile> m_output; ///< where Direct, and where Staged for the copy
    FileIdentity m_standardOutput;
    QString m_error;
};
