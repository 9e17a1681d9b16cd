#pragma once

#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>

/** As an input path, the standard input; as the output path, the standard output. */
inline const QString StandardStreamPath = QStringLiteral("-");

/** What became of one join. */
struct JoinResult
{
    enum class Status {
        Success,   ///< the output holds the joined items
        Failed,    ///< errorMessage says which file and why; the output was not replaced
        Cancelled, ///< the output was not replaced
    };

    Status status = Status::Success;

    /** For Failed: "Cannot read file <path>:\n<reason>." or the like; else empty. */
    QString errorMessage;

    /** For Failed: the index in the inputs of the input that the message names, or -1. */
    qsizetype failedInput = -1;
};

/** How a caller follows a join and stops it. */
struct JoinControl
{
    /**
     * Called on the joining thread, first with done 0 and then every few MiB: @p done bytes of
     * the inputs read out of @p total, the sum of the sizes of those that are regular files.
     */
    std::function<void(qint64 done, qint64 total)> progress;

    /**
     * Set to true, from any thread or from a signal handler, to cancel the join: it ends within
     * a fraction of a second, even where it waits for a pipe or a device, unless the output is
     * already being replaced, which is then completed.
     */
    const std::atomic<bool> *cancel = nullptr;
};

/**
 * Joins @p inputPaths, in order, into @p outputPath: every data item of every input becomes one
 * line (its bytes, then CR LF), and one more CR LF closes the file, so a join without items gives
 * the two bytes CR LF. A path listed twice is read twice, and the output may be one of the
 * inputs: it contributes what it held before.
 *
 * Every input is checked first, so that one that is missing, a folder or unreadable is told
 * before anything is written. The output is replaced only by a complete join, and never changes
 * what it is: its links, owner, group and permissions stay, and a device or pipe is written
 * into (see JoinOutput). On failure or cancel, a regular output is left exactly as it was and no
 * temporary file remains.
 *
 * Inputs are read one at a time, in fixed buffers, and memory stays bounded whatever their size
 * or shape. The function needs no QCoreApplication, runs on any thread, and reports every
 * failure, running out of memory included, in its result; it never throws.
 */
JoinResult joinFiles(const QStringList &inputPaths, const QString &outputPath, const JoinControl &control = {});
