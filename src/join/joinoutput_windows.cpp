#include "joinoutput.h"

#include "joinerror.h"
#include "joinstop.h"
#include "systemcalls.h"

// Windows: a file with one name is replaced by ReplaceFileW, which gives the join the file's
// security, attributes and streams; one with more names is copied into in place, its handle
// shared with readers only, so that a second join cannot write it meanwhile.

bool JoinOutput::openReplaced()
{
    int error = 0;
    TemporaryFile replacement;
    if (!replacement.create(m_target.folder, m_target.name, &error))
        return false;
    m_temporary = std::move(replacement);
    m_kind = Kind::Replaced;
    return true;
}

// The handle's share mode keeps every other writer out, a second join too.
bool JoinOutput::openStaged()
{
    const HANDLE handle = sys().CreateFileW(nativePath(m_target.path()).c_str(), GENERIC_READ | GENERIC_WRITE,
                                            FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return failWith(lastSystemError());
    m_output = std::make_unique<SystemFile>(Handle(handle), QIODevice::ReadWrite, SystemFile::Kind::Regular);
    if (!stageBesideOrElsewhere())
        return false;
    m_kind = Kind::Staged;
    return true;
}

bool JoinOutput::openDirect()
{
    m_kind = Kind::Direct;
    const HANDLE handle = sys().CreateFileW(nativePath(m_target.path()).c_str(), GENERIC_WRITE,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        // A device is opened by its name alone: NUL, not C:\folder\NUL.
        const HANDLE device = sys().CreateFileW(nativePath(m_path).c_str(), GENERIC_WRITE,
                                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
        if (device == INVALID_HANDLE_VALUE)
            return failWith(lastSystemError());
        m_output = std::make_unique<SystemFile>(Handle(device), QIODevice::WriteOnly, SystemFile::Kind::Stream, &m_stop);
        return true;
    }
    m_output = std::make_unique<SystemFile>(Handle(handle), QIODevice::WriteOnly, SystemFile::Kind::Stream, &m_stop);
    return true;
}

bool JoinOutput::openStandardOutput()
{
    m_kind = Kind::Direct;
    const HANDLE handle = ::GetStdHandle(STD_OUTPUT_HANDLE);
    if (handle == INVALID_HANDLE_VALUE || handle == nullptr)
        return failWith(handle == nullptr ? int(ERROR_INVALID_HANDLE) : lastSystemError());
    SystemFile::Kind kind = SystemFile::Kind::Stream;
    if (sys().GetFileType(handle) == FILE_TYPE_DISK) {
        BY_HANDLE_FILE_INFORMATION information;
        if (!sys().GetFileInformationByHandle(handle, &information))
            return failWith(lastSystemError());
        m_standardOutput = identityOf(information);
        kind = SystemFile::Kind::Regular;
    }
    m_output = std::make_unique<SystemFile>(Handle::borrowed(handle), QIODevice::WriteOnly, kind, &m_stop);
    return true;
}

void JoinOutput::startWriteBack() {}

bool JoinOutput::finishReplacement()
{
    return true;
}

void JoinOutput::writeBackInPieces(SystemFile &, qint64) {}

// The disk must have room for what the join adds to the file before anything in it is
// overwritten.
bool JoinOutput::reserveRoom(qint64 size, QString *reason)
{
    const qint64 now = m_output->fileSize();
    if (now < 0) {
        *reason = m_output->errorString();
        return false;
    }
    ULARGE_INTEGER available{};
    if (size <= now || !sys().GetDiskFreeSpaceExW(nativePath(m_target.folder->path).c_str(), &available, nullptr, nullptr))
        return true;
    if (available.QuadPart >= quint64(size - now))
        return true;
    *reason = systemErrorText(ERROR_DISK_FULL);
    return false;
}
