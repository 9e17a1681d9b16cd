#include "heldblankfile.h"

#include "joinerror.h"
#include "temporaryfolder.h"

#include <QCoreApplication>
#include <QDir>

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
    QStringList failures;
    if (!m_file.isOpen() && !makeTemporaryFile(QStringLiteral("quillmere-blanks"), &m_file, &failures)) {
        m_error = QCoreApplication::translate("JoinEngine", "No temporary file can be made %1").arg(placesTried(failures));
        return;
    }
    if (!m_file.file().writeAll(data, static_cast<qint64>(size)))
        return fail(m_file.file().errorString());
    m_size += static_cast<qint64>(size);
}

void HeldBlankFile::release(ItemSink &sink)
{
    if (m_error.isEmpty() && m_size > 0) {
        const auto piece = std::make_unique_for_overwrite<char[]>(ReleasePiece);
        if (!m_file.file().rewind())
            return fail(m_file.file().errorString());
        for (qint64 left = m_size; left > 0;) {
            const qint64 count = m_file.file().read(piece.get(), std::min(left, ReleasePiece));
            if (count <= 0)
                return fail(count < 0 ? m_file.file().errorString()
                                      : QCoreApplication::translate("JoinEngine", "It ended early"));
            sink.itemData(piece.get(), static_cast<std::size_t>(count));
            left -= count;
        }
    }
    forget();
}

void HeldBlankFile::forget()
{
    if (m_error.isEmpty() && m_size > 0 && !(m_file.file().rewind() && m_file.file().resize(0)))
        fail(m_file.file().errorString());
    m_size = 0;
}

void HeldBlankFile::fail(const QString &reason)
{
    m_error = QCoreApplication::translate("JoinEngine", "A temporary file in %1 cannot be written: %2")
                  .arg(displayPath(m_file.folder().path), reasonText(reason));
}
