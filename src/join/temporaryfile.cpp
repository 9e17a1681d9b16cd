#include "temporaryfile.h"

#include "systemcalls.h"

#include <QDir>
#include <QRandomGenerator>

#include <cerrno>

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

// How many names are tried before a folder full of them is given up on.
constexpr int NameTries = 64;

// A base that leaves the name within any folder's limit with the suffix, which every file system
// of ours takes: 255 bytes on Linux, 255 UTF-16 units on Windows.
constexpr int LongestBase = 200;

QString shortened(const QString &base)
{
    QString text = base.left(LongestBase);
    while (text.toUtf8().size() > LongestBase)
        text.chop(1);
    if (!text.isEmpty() && text.back().isHighSurrogate())
        text.chop(1);
    return text.isEmpty() ? QStringLiteral("quillmere-join") : text;
}

// "base.ABC123": beside the output, its name tells what it is.
QString freshName(const QString &base)
{
    static constexpr char Letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QString name = shortened(base) + QLatin1Char('.');
    for (int i = 0; i < 6; ++i)
        name += QLatin1Char(Letters[QRandomGenerator::global()->bounded(int(sizeof Letters) - 1)]);
    return name;
}

} // namespace

QString TemporaryFile::path() const
{
    if (m_name.isEmpty())
        return QString();
    return QDir::toNativeSeparators(m_folder->path + QLatin1Char('/') + QFile::decodeName(m_name));
}

#ifdef Q_OS_WIN

namespace {

std::wstring nativeName(const Folder &folder, const QByteArray &name)
{
    return nativePath(folder.path + QLatin1Char('\\') + QString::fromUtf8(name));
}

// The system removes the file when its last handle closes, whatever becomes of the program,
// unless it is told otherwise first.
bool removeOnClose(HANDLE handle, bool remove)
{
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = remove;
    return sys().SetFileInformationByHandle(handle, FileDispositionInfo, &disposition, sizeof disposition);
}

} // namespace

bool isNameTaken(int error)
{
    return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
}

TemporaryFile::~TemporaryFile() = default;

bool TemporaryFile::create(std::shared_ptr<const Folder> folder, const QString &base, int *error)
{
    m_folder = std::move(folder);
    m_base = base;
    for (int tries = 0; tries < NameTries; ++tries) {
        const QByteArray name = freshName(base).toUtf8();
        const HANDLE handle = sys().CreateFileW(nativeName(*m_folder, name).c_str(), GENERIC_READ | GENERIC_WRITE | DELETE,
                                                FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                                FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            *error = lastSystemError();
            if (isNameTaken(*error))
                continue;
            return false;
        }
        Handle owned(handle);
        if (!removeOnClose(handle, true)) {
            *error = lastSystemError();
            sys().DeleteFileW(nativeName(*m_folder, name).c_str());
            return false;
        }
        m_name = name;
        m_file = std::make_unique<SystemFile>(std::move(owned), QIODevice::ReadWrite, SystemFile::Kind::Regular);
        return true;
    }
    return false;
}

bool TemporaryFile::moveTo(const QString &name, bool replace, int *error)
{
    const std::wstring from = nativeName(*m_folder, m_name);
    const std::wstring to = nativeName(*m_folder, name.toUtf8());
    if (!removeOnClose(m_file->handle(), false)) {
        *error = lastSystemError();
        return false;
    }
    if (!m_file->closeChecked()) {
        *error = m_file->error();
        sys().DeleteFileW(from.c_str());
        return false;
    }
    // ReplaceFileW keeps what makes up the file replaced: its security, attributes and streams.
    const bool moved = replace ? sys().ReplaceFileW(to.c_str(), from.c_str(), nullptr, 0, nullptr, nullptr)
                               : sys().MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH);
    if (moved) {
        m_lasting = true;
        return true;
    }
    *error = lastSystemError();
    // Where the file replaced is gone, the join is all there is: it is left where it is.
    if (replace && sys().GetFileAttributesW(to.c_str()) == INVALID_FILE_ATTRIBUTES)
        m_lasting = true;
    else
        sys().DeleteFileW(from.c_str());
    return false;
}

bool TemporaryFile::keep(int *error)
{
    if (m_lasting)
        return true;
    if (!removeOnClose(m_file->handle(), false)) {
        *error = lastSystemError();
        return false;
    }
    m_lasting = true;
    return true;
}

#else

namespace {

// The path by which a file without a name can be linked in without special rights.
QByteArray procPath(int handle)
{
    return "/proc/self/fd/" + QByteArray::number(handle);
}

} // namespace

bool isNameTaken(int error)
{
    return error == EEXIST;
}

TemporaryFile::~TemporaryFile()
{
    if (!m_name.isEmpty() && !m_lasting)
        sys().unlinkat(m_folder->handle.get(), m_name.constData(), 0);
}

bool TemporaryFile::create(std::shared_ptr<const Folder> folder, const QString &base, int *error)
{
    m_folder = std::move(folder);
    m_base = base;
    const int at = m_folder->handle.get();
    int handle = uninterrupted([&] { return sys().openat(at, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0600); });
    // A file system that has no unnamed files says so in one of these ways.
    if (handle < 0 && errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
        *error = errno;
        return false;
    }
    for (int tries = 0; handle < 0 && tries < NameTries; ++tries) {
        const QByteArray name = QFile::encodeName(freshName(base));
        handle = sys().openat(at, name.constData(), O_CREAT | O_EXCL | O_RDWR | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (handle >= 0) {
            m_name = name;
        } else if (errno != EEXIST && errno != EINTR) {
            *error = errno;
            return false;
        }
    }
    if (handle < 0) {
        *error = EEXIST;
        return false;
    }
    m_file = std::make_unique<SystemFile>(Handle(handle), QIODevice::ReadWrite, SystemFile::Kind::Regular);
    return true;
}

bool TemporaryFile::linkAs(const QByteArray &name, int *error)
{
    const int handle = m_file->handle();
    if (sys().linkat(AT_FDCWD, procPath(handle).constData(), m_folder->handle.get(), name.constData(),
                     AT_SYMLINK_FOLLOW)
        == 0)
        return true;
    // Without /proc, only a process with the right to read any file links by the handle itself.
    if (errno == ENOENT
        && sys().linkat(handle, "", m_folder->handle.get(), name.constData(), AT_EMPTY_PATH) == 0)
        return true;
    *error = errno;
    return false;
}

bool TemporaryFile::nameFree(const QByteArray &name, int *error) const
{
    struct stat status;
    if (sys().fstatat(m_folder->handle.get(), name.constData(), &status, AT_SYMLINK_NOFOLLOW) == 0) {
        *error = EEXIST;
        return false;
    }
    *error = errno;
    return errno == ENOENT;
}

bool TemporaryFile::moveTo(const QString &to, bool replace, int *error)
{
    const int at = m_folder->handle.get();
    const QByteArray name = QFile::encodeName(to);
    if (m_name.isEmpty()) {
        // A link never takes a name that is there; a rename from a name of its own replaces.
        if (!replace) {
            if (!linkAs(name, error))
                return false;
            m_lasting = true;
            return true;
        }
        if (!keep(error))
            return false;
        m_lasting = false;
    } else if (!replace) {
        if (sys().renameat2(at, m_name.constData(), at, name.constData(), RENAME_NOREPLACE) == 0) {
            m_lasting = true;
            return true;
        }
        if (errno != EINVAL) {
            *error = errno;
            return false;
        }
        // A file system that cannot rename that way: the name is looked at first.
        if (!nameFree(name, error))
            return false;
    }
    if (sys().renameat2(at, m_name.constData(), at, name.constData(), 0) != 0) {
        *error = errno;
        return false;
    }
    m_lasting = true;
    return true;
}

bool TemporaryFile::keep(int *error)
{
    if (!m_name.isEmpty()) {
        m_lasting = true;
        return true;
    }
    for (int tries = 0; tries < NameTries; ++tries) {
        const QByteArray name = QFile::encodeName(freshName(m_base));
        if (linkAs(name, error)) {
            m_name = name;
            m_lasting = true;
            return true;
        }
        if (*error != EEXIST)
            return false;
    }
    return false;
}

#endif
