#include "joinoutput.h"

#include "joinerror.h"
#include "joinstop.h"
#include "joinengine.h"
#include "systemcalls.h"
#include "temporaryfolder.h"

#include <QCoreApplication>
#include <QDir>

#include <algorithm>

#ifndef Q_OS_WIN
#include "filemetadata.h"
#endif

// What is the same on every system: which way the output is written, the messages, and the
// commit. Each system has its own ways of opening the output, flushing it and making room for it
// (joinoutput_linux.cpp, joinoutput_windows.cpp).

namespace {

constexpr qint64 CopyPiece = 1 << 20;

QString tr(const char *text)
{
    return QCoreApplication::translate("JoinEngine", text);
}

} // namespace

JoinOutput::JoinOutput(const QString &path, const JoinStop &stop) : m_path(path), m_stop(stop) {}

JoinOutput::~JoinOutput() = default;

bool JoinOutput::open()
{
    if (m_path == StandardStreamPath)
        return openStandardOutput();
    int error = 0;
    if (!locateOutput(m_path, &m_target, &error))
        return failWith(error);
    switch (m_target.type) {
    case OutputTarget::Type::Missing:
        return openNew();
    case OutputTarget::Type::Folder:
        return fail(tr("It is a folder"));
    case OutputTarget::Type::Socket:
        return fail(tr("It is a socket"));
    case OutputTarget::Type::Stream:
        return openDirect();
    case OutputTarget::Type::Regular:
        break;
    }
    return (!m_target.linked && openReplaced()) || openStaged();
}

bool JoinOutput::openNew()
{
    int error = 0;
    if (!m_temporary.create(m_target.folder, m_target.name, &error))
        return failWith(error);
    m_kind = Kind::New;
    return true;
}

bool JoinOutput::stageBesideOrElsewhere()
{
    int error = 0;
    if (m_temporary.create(m_target.folder, m_target.name, &error))
        return true;
    QStringList failures{tr("beside it (%1)").arg(reasonText(systemErrorText(error)))};
    if (makeTemporaryFile(QStringLiteral("quillmere-join"), &m_temporary, &failures))
        return true;
    return fail(tr("No temporary copy of the join can be made %1").arg(placesTried(failures)));
}

QIODevice &JoinOutput::device()
{
    if (m_kind == Kind::Direct)
        return *m_output;
    return m_temporary.file();
}

QString JoinOutput::writeError() const
{
    const SystemFile &file = m_kind == Kind::Direct ? *m_output : const_cast<TemporaryFile &>(m_temporary).file();
    return failureMessage(file.errorString());
}

QString JoinOutput::stagingPlace() const
{
    return displayPath(m_temporary.folder().path);
}

QString JoinOutput::failureMessage(const QString &reason) const
{
    if (m_kind != Kind::Staged)
        return cannotWriteMessage(m_path, reason);
    return cannotWriteMessage(m_path,
                              tr("Its temporary copy in %1 cannot be written: %2").arg(stagingPlace(), reasonText(reason)));
}

bool JoinOutput::fail(const QString &reason)
{
    m_error = cannotWriteMessage(m_path, reason);
    return false;
}

bool JoinOutput::failWith(int error)
{
    return fail(systemErrorText(error));
}

bool JoinOutput::failKept(const QString &reason)
{
    return fail(tr("%1; the whole join is kept in %2").arg(reasonText(reason), displayPath(m_temporary.path())));
}

// Nothing is put in the output's place unless its path still leads to it.
bool JoinOutput::stillThere()
{
    int error = 0;
    if (stillLeadsThere(m_path, m_target, &error))
        return true;
    return error != 0 ? failWith(error) : fail(tr("It was replaced or moved during the join"));
}

// Flushes the join to the disk while a cancel can still stop it. The file's @p size, where the
// caller has it already, is not asked of the system again.
bool JoinOutput::flushBeforeReplacing(SystemFile &file, qint64 size)
{
    writeBackInPieces(file, size);
    if (m_stop.cancelled())
        return false;
    if (!file.sync()) {
        m_error = failureMessage(file.errorString());
        return false;
    }
    return !m_stop.cancelled();
}

bool JoinOutput::commit()
{
    int error = 0;
    switch (m_kind) {
    case Kind::Direct:
        return true;
    case Kind::New:
        if (!flushBeforeReplacing(m_temporary.file()))
            return false;
        if (m_temporary.moveTo(m_target.name, false, &error))
            return true;
        return isNameTaken(error) ? fail(tr("Another file of that name was made during the join")) : failWith(error);
    case Kind::Replaced:
        if (!finishReplacement() || !flushBeforeReplacing(m_temporary.file()) || !stillThere())
            return false;
        // From here on the output is replaced, whatever comes.
        if (m_temporary.moveTo(m_target.name, true, &error))
            return true;
        // Where the output went with it, the join is all there is, and stays.
        return m_temporary.isKept() ? failKept(systemErrorText(error)) : failWith(error);
    case Kind::Staged:
        return commitStaged();
    }
    return false;
}

bool JoinOutput::commitStaged()
{
    const qint64 size = m_temporary.file().fileSize();
    if (size < 0) {
        m_error = failureMessage(m_temporary.file().errorString());
        return false;
    }
    if (!flushBeforeReplacing(m_temporary.file(), size) || !stillThere())
        return false;
    QString reason;
    if (!reserveRoom(size, &reason))
        return fail(reason);
    if (m_stop.cancelled())
        return false;

    // From here on the output is being replaced, and a cancel no longer stops that. Should it
    // fail, the complete join stays in the temporary copy, which the message names.
    int error = 0;
    if (copyInPlace(size, &reason)) {
        // Another program may have put something else in its place while the copy ran; where
        // the system cannot tell, the copy is as complete as it was.
        if (stillLeadsThere(m_path, m_target, &error) || error != 0)
            return true;
        reason = tr("It was replaced or moved while the join was copied into it");
    }
    if (m_temporary.keep(&error))
        return failKept(reason);
    return fail(tr("%1; the whole join cannot be kept either: %2").arg(reasonText(reason), reasonText(systemErrorText(error))));
}

bool JoinOutput::copyInPlace(qint64 size, QString *reason)
{
    SystemFile &from = m_temporary.file();
    SystemFile &to = *m_output;
    const auto buffer = std::make_unique_for_overwrite<char[]>(CopyPiece);
    if (!from.rewind() || !to.rewind()) {
        *reason = (from.error() != 0 ? from : to).errorString();
        return false;
    }
    for (qint64 left = size; left > 0;) {
        const qint64 count = from.read(buffer.get(), std::min(left, CopyPiece));
        if (count <= 0) {
            *reason = count < 0 ? from.errorString() : tr("The temporary copy ended early");
            return false;
        }
        if (!to.writeAll(buffer.get(), count)) {
            *reason = to.errorString();
            return false;
        }
        left -= count;
    }
    if (!to.resize(size) || !to.sync()) {
        *reason = to.errorString();
        return false;
    }
#ifndef Q_OS_WIN
    // A write by anyone but root clears the set-ID bits, which the owner sets again.
    int error = 0;
    if (!restoreMode(m_target, to.handle(), &error)) {
        *reason = systemErrorText(error);
        return false;
    }
#endif
    return true;
}
