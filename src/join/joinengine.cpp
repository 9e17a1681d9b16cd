#include "joinengine.h"

#include "itemreader.h"
#include "linewriter.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QFileInfo>
#include <QtCore/QSaveFile>

#ifdef Q_OS_LINUX
#include <fcntl.h>
#endif

#include <filesystem>
#include <memory>
#include <system_error>

namespace {

constexpr qint64 kChunkSize = 1 << 18;

// The kernel copies into a buffer that is not aligned to a cache line at about half the speed, and
// the heap gives a block this large 16 bytes into a page.
struct alignas(4096) Chunk
{
    char bytes[kChunkSize];
};

constexpr qint64 kProgressStep = 4 << 20;

const char *const kCannotRead = QT_TRANSLATE_NOOP("JoinEngine", "Cannot read file %1:\n%2.");
const char *const kCannotWrite = QT_TRANSLATE_NOOP("JoinEngine", "Cannot write file %1:\n%2.");

JoinResult failure(const char *text, const QString &path, const QString &reason)
{
    return {JoinResult::Status::Failed,
            QCoreApplication::translate("JoinEngine", text).arg(QDir::toNativeSeparators(path), reason)};
}

// Compares the files themselves, not their names, so that another spelling of the path, a
// symbolic link or a hard link to the output counts too.
bool isOneOf(const QString &path, const QStringList &paths)
{
    std::error_code error;
    const std::filesystem::path target = QFileInfo(path).filesystemFilePath();
    if (!std::filesystem::exists(target, error))
        return false;
    for (const QString &other : paths) {
        if (std::filesystem::equivalent(QFileInfo(other).filesystemFilePath(), target, error))
            return true;
    }
    return false;
}

qint64 totalSize(const QStringList &paths)
{
    qint64 total = 0;
    for (const QString &path : paths)
        total += QFileInfo(path).size();
    return total;
}

// Where the output's folder takes no new file, so no temporary file either, an existing output
// that is writable itself is overwritten in place, unless that would destroy an input before it
// is read. Any other failure (a full disk, say) gets no second try that could leave the output
// half written. This is done here rather than by QSaveFile's own fallback, which removes the
// output when a join fails.
std::unique_ptr<QFileDevice> openOutput(const QString &path, const QStringList &inputs, QString *error)
{
    auto saveFile = std::make_unique<QSaveFile>(path);
    if (saveFile->open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return saveFile;
    *error = saveFile->errorString();
    const QFileInfo info(path);
    if (!info.isFile() || !info.isWritable() || QFileInfo(QFileInfo(info.canonicalFilePath()).path()).isWritable()
        || isOneOf(path, inputs))
        return nullptr;
    auto file = std::make_unique<QFile>(path);
    if (file->open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        return file;
    *error = file->errorString();
    return nullptr;
}

// Starts the disk writing what is written so far, without waiting for it. The commit flushes the
// file to the disk before it replaces the output; begun early, that flush overlaps the join
// instead of following it. It takes the file's handle, not the file, which belongs to the
// LineWriter's thread while the join runs.
void startWriteBack(int handle)
{
#ifdef Q_OS_LINUX
    if (handle >= 0)
        sync_file_range(handle, 0, 0, SYNC_FILE_RANGE_WRITE);
#else
    Q_UNUSED(handle);
#endif
}

bool commitOutput(QFileDevice &output)
{
    if (auto *saveFile = qobject_cast<QSaveFile *>(&output))
        return saveFile->commit();
    output.close();
    return output.error() == QFileDevice::NoError;
}

} // namespace

JoinResult joinFiles(const QStringList &inputPaths, const QString &outputPath, const JoinProgress &progress)
{
    const qint64 total = progress ? totalSize(inputPaths) : 0;

    QString openError;
    const std::unique_ptr<QFileDevice> output = openOutput(outputPath, inputPaths, &openError);
    if (!output)
        return failure(kCannotWrite, outputPath, openError);

    // Every early return below drops the QSaveFile uncommitted, which removes its temporary file.
    if (progress && !progress(0, total))
        return {JoinResult::Status::Cancelled, {}};

    const int outputHandle = output->handle();
    LineWriter writer(*output);
    ItemReader reader(writer);
    const auto chunk = std::make_unique_for_overwrite<Chunk>();
    qint64 done = 0;
    qint64 reported = 0;
    for (const QString &path : inputPaths) {
        QFile input(path);
        if (!input.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
            return failure(kCannotRead, path, input.errorString());
        for (;;) {
            const qint64 count = input.read(chunk->bytes, kChunkSize);
            if (count < 0)
                return failure(kCannotRead, path, input.errorString());
            if (count == 0)
                break;
            reader.feed(chunk->bytes, static_cast<std::size_t>(count));
            if (writer.failed())
                return failure(kCannotWrite, outputPath, output->errorString());
            done += count;
            if (done - reported >= kProgressStep) {
                reported = done;
                startWriteBack(outputHandle);
                if (progress && !progress(done, total))
                    return {JoinResult::Status::Cancelled, {}};
            }
        }
        reader.finish();
    }

    if (!writer.finish())
        return failure(kCannotWrite, outputPath, output->errorString());
    if (progress && done != reported && !progress(done, total))
        return {JoinResult::Status::Cancelled, {}};
    if (!commitOutput(*output))
        return failure(kCannotWrite, outputPath, output->errorString());
    return {};
}
