#include "heldblankfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryFile>

#include <algorithm>

namespace {
constexpr qint64 ReleasePiece = 1 << 16;
}

HeldBlankFile::HeldBlankFile() = default;

HeldBlankFile::~HeldBlankFile() = default;

void HeldBlankFile::keep(const char *data, std::size_t size)
{
    if (!m_error.isEmpty())
        return;
    if (!m_file) {
        m_file = std::make_unique<QTemporaryFile>(QDir::tempPath() + QStringLiteral("/quillmere-blanks.XXXXXX"));
        if (!m_file->open())
            return fail(m_file->errorString());
#ifdef Q_OS_UNIX
        // Without a name, nothing of it remains whatever becomes of the program.
        if (QFile::remove(m_file->fileName()))
            m_file->setAutoRemove(false);
#endif
    }
    if (m_file->write(data, static_cast<qint64>(size)) != static_cast<qint64>(size))
        return fail(m_file->errorString());
    m_size += static_cast<qint64>(size);
}

void HeldBlankFile::release(ItemSink &sink)
{
    if (m_error.isEmpty() && m_size > 0) {
        const auto piece = std::make_unique_for_overwrite<char[]>(ReleasePiece);
        if (!m_file->seek(0))
            return fail(m_file->errorString());
        for (qint64 left = m_size; left > 0;) {
            const qint64 count = m_file->read(piece.get(), std::min(left, ReleasePiece));
            if (count <= 0)
                return fail(m_file->errorString());
            sink.itemData(piece.get(), static_cast<std::size_t>(count));
            left -= count;
        }
    }
    forget();
}

void HeldBlankFile::forget()
{
    if (m_error.isEmpty() && m_size > 0 && !(m_file->seek(0) && m_file->resize(0)))
        fail(m_file->errorString());
    m_size = 0;
}

void HeldBlankFile::fail(const QString &reason)
{
    m_error = QCoreApplication::translate("JoinEngine", "A temporary file in %1 cannot be written: %2")
                  .arg(QDir::toNativeSeparators(QDir::tempPath()), reason);
}
