#ifndef JOINENGINE_H
#define JOINENGINE_H

#include <QtCore/QString>
#include <QtCore/QStringList>

#include <functional>

/** What became of one join. */
struct JoinResult
{
    enum class Status {
        Success,   ///< the output file holds the joined items
        Failed,    ///< errorMessage says which file and why; the output was not replaced
        Cancelled, ///< the progress callback asked to stop; the output was not replaced
    };

    Status status = Status::Success;

    /** For Failed: "Cannot read file <path>:\n<reason>." or "Cannot write file ..."; else empty. */
    QString errorMessage;
};

/**
 * Called from the joining thread now and then: @p done bytes of the inputs read out of @p total,
 * the sum of their sizes when the join started. Returns false to cancel the join.
 */
using JoinProgress = std::function<bool(qint64 done, qint64 total)>;

/**
 * Joins @p inputPaths, in order, into @p outputPath: every data item of every input becomes one
 * line (its bytes, then CR LF), and one more CR LF closes the file, so a join without items gives
 * the two bytes CR LF. A path listed twice is read twice, and the output may be one of the inputs:
 * it contributes what it held before.
 *
 * The output is written to a temporary file beside it and replaces it only when everything has
 * been read and written, keeping its permissions and writing through a symbolic link to its
 * target. On failure or cancel, the output path is left exactly as it was and no temporary file
 * remains. Only where no file can be created beside the output, and the output is not one of the
 * inputs, is it written in place; a failure can then leave it partly written.
 *
 * Inputs are read one at a time, in fixed buffers, so memory stays bounded. The function needs no
 * QCoreApplication and runs on any thread; it reports failures in the result, never by throwing.
 * @p progress, when set, is called first with done 0 and then every few MiB.
 */
JoinResult joinFiles(const QStringList &inputPaths, const QString &outputPath,
                     const JoinProgress &progress = {});

#endif // JOINENGINE_H
