#include "outputtarget.h"

#include "systemcalls.h"

#include <QDir>
#include <QFileInfo>

#include <string>

namespace {

// The path that the system reached, without the prefix that lets it be longer than MAX_PATH.
bool finalPath(HANDLE handle, QString *path, int *error)
{
    std::wstring buffer(MAX_PATH, L'\0');
    for (int tries = 0; tries < 3; ++tries) {
        const DWORD length = sys().GetFinalPathNameByHandleW(handle, buffer.data(), DWORD(buffer.size()),
                                                             FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length == 0) {
            *error = lastSystemError();
            return false;
        }
        if (length < buffer.size()) {
            QString found = QString::fromWCharArray(buffer.data(), int(length));
            if (found.startsWith(QLatin1String("\\\\?\\UNC\\")))
                found = QLatin1String("\\\\") + found.mid(8);
            else if (found.startsWith(QLatin1String("\\\\?\\")))
                found = found.mid(4);
            *path = QDir::fromNativeSeparators(found);
            return true;
        }
        buffer.resize(length);
    }
    *error = ERROR_BUFFER_OVERFLOW;
    return false;
}

void placeIn(OutputTarget *target, const QString &path)
{
    const QFileInfo info(path);
    auto folder = std::make_shared<Folder>();
    folder->path = info.absolutePath();
    target->folder = std::move(folder);
    target->name = info.fileName();
}

// A device such as NUL or CON answers only to an open for reading or writing.
bool isDevice(const QString &path)
{
    const HANDLE handle = sys().CreateFileW(nativePath(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                            nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    const Handle device(handle);
    const DWORD type = sys().GetFileType(handle);
    return type == FILE_TYPE_CHAR || type == FILE_TYPE_PIPE;
}

} // namespace

bool locateOutput(const QString &path, OutputTarget *target, int *error)
{
    const HANDLE handle = sys().CreateFileW(nativePath(path).c_str(), FILE_READ_ATTRIBUTES,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                            FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        *error = lastSystemError();
        if (*error == ERROR_FILE_NOT_FOUND) {
            target->type = OutputTarget::Type::Missing;
            placeIn(target, path);
            return true;
        }
        if (*error == ERROR_PATH_NOT_FOUND || !isDevice(path))
            return false;
        target->type = OutputTarget::Type::Stream;
        placeIn(target, path);
        return true;
    }
    const Handle file(handle);
    const DWORD type = sys().GetFileType(handle);
    if (type == FILE_TYPE_CHAR || type == FILE_TYPE_PIPE) {
        target->type = OutputTarget::Type::Stream;
        placeIn(target, path);
        return true;
    }
    BY_HANDLE_FILE_INFORMATION information;
    QString reached;
    if (!sys().GetFileInformationByHandle(handle, &information)) {
        *error = lastSystemError();
        return false;
    }
    if (!finalPath(handle, &reached, error))
        return false;
    target->type = information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY ? OutputTarget::Type::Folder
                                                                            : OutputTarget::Type::Regular;
    target->identity = identityOf(information);
    target->linked = information.nNumberOfLinks > 1;
    placeIn(target, reached);
    return true;
}

bool stillLeadsThere(const QString &path, const OutputTarget &target, int *error)
{
    OutputTarget now;
    *error = 0;
    if (!locateOutput(path, &now, error))
        return false;
    return now.type == target.type && now.identity == target.identity
        && QString::compare(now.path(), target.path(), Qt::CaseInsensitive) == 0;
}
