#include "joinengine.h"

#include "heldblankfile.h"
#include "itemreader.h"
#include "joinerror.h"
#include "joininput.h"
#include "joinoutput.h"
#include "joinstop.h"
#include "linewriter.h"

#include <QCoreApplication>
#include <QIODevice>

#include <memory>
#include <new>

namespace {

constexpr qint64 ChunkSize = 1 << 18;

// The kernel copies into a buffer that is not aligned to a cache line at about half the speed, and
// the heap gives a block this large 16 bytes into a page.
struct alignas(4096) Chunk
{
    char bytes[ChunkSize];
};

constexpr qint64 ProgressStep = 4 << 20;

// How many inputs are checked between two looks at the cancel.
constexpr qsizetype ChecksPerLook = 256;

QString tr(const char *text)
{
    return QCoreApplication::translate("JoinEngine", text);
}

JoinResult failed(const QString &message, qsizetype input = -1)
{
    return {JoinResult::Status::Failed, message, input};
}

JoinResult cancelled()
{
    return {JoinResult::Status::Cancelled, {}, -1};
}

// Ends the waits of the writing thread when the join ends early, before the writer is destroyed.
struct AbandonOnExit
{
    JoinStop &stop;
    ~AbandonOnExit() { stop.abandoned = true; }
};

JoinResult join(const QStringList &inputPaths, const QString &outputPath, const JoinControl &control)
{
    JoinStop stop;
    stop.cancel = control.cancel;
    const auto report = [&control](qint64 done, qint64 total) {
        if (control.progress)
            control.progress(done, total);
    };

    qint64 total = 0;
    // Only a standard output that is a file needs them, to be told apart from the inputs.
    const bool toStandardOutput = outputPath == StandardStreamPath;
    QList<FileIdentity> identities;
    for (qsizetype i = 0; i < inputPaths.size(); ++i) {
        if (i % ChecksPerLook == 0 && stop.cancelled())
            return cancelled();
        QString reason;
        FileIdentity identity;
        const qint64 size = checkInput(inputPaths[i], &identity, &reason);
        if (size < 0)
            return failed(cannotReadMessage(inputPaths[i], reason), i);
        if (toStandardOutput)
            identities.append(identity);
        total += size;
    }

    JoinOutput output(outputPath, stop);
    if (!output.open())
        return stop.cancelled() ? cancelled() : failed(output.errorMessage());
    // A standard output that is a file is written while the inputs are read, so it cannot be one.
    if (const FileIdentity file = output.standardOutputFile(); file.isValid()) {
        if (const qsizetype i = identities.indexOf(file); i >= 0)
            return failed(cannotWriteMessage(outputPath, inputPaths[i] == StandardStreamPath
                                                             ? tr("It is also the standard input")
                                                             : tr("It is also the input %1").arg(displayPath(inputPaths[i]))),
                          i);
    }
    report(0, total);

    HeldBlankFile heldBlanks;
    LineWriter writer(output.device());
    const AbandonOnExit abandonOnExit{stop};
    ItemReader reader(writer);
    reader.setBlankStore(&heldBlanks);
    const auto chunk = std::make_unique_for_overwrite<Chunk>();
    qint64 done = 0;
    qint64 reported = 0;
    for (qsizetype i = 0; i < inputPaths.size(); ++i) {
        const QString &path = inputPaths[i];
        QString reason;
        const std::unique_ptr<QIODevice> input = openInput(path, stop, &reason);
        if (!input)
            return failed(cannotReadMessage(path, reason), i);
        for (;;) {
            const qint64 count = input->read(chunk->bytes, ChunkSize);
            if (stop.cancelled())
                return cancelled();
            if (count < 0)
                return failed(cannotReadMessage(path, input->errorString()), i);
            if (count == 0)
                break;
            reader.feed(chunk->bytes, static_cast<std::size_t>(count));
            if (writer.failed())
                return stop.cancelled() ? cancelled() : failed(output.writeError());
            if (!heldBlanks.errorString().isEmpty())
                return failed(cannotReadMessage(path, heldBlanks.errorString()), i);
            done += count;
            if (done - reported >= ProgressStep) {
                reported = done;
                output.startWriteBack();
                report(done, total);
            }
        }
        reader.finish();
    }

    if (!writer.finish())
        return stop.cancelled() ? cancelled() : failed(output.writeError());
    if (done != reported)
        report(done, total);
    if (stop.cancelled() || !output.commit())
        return output.errorMessage().isEmpty() ? cancelled() : failed(output.errorMessage());
    return {};
}

} // namespace

JoinResult joinFiles(const QStringList &inputPaths, const QString &outputPath, const JoinControl &control)
{
    try {
        return join(inputPaths, outputPath, control);
    } catch (const std::bad_alloc &) {
        return failed(cannotJoinMessage(outputPath, tr("There is not enough memory")));
    } catch (const std::exception &error) {
        return failed(cannotJoinMessage(outputPath, QString::fromLocal8Bit(error.what())));
    }
}
