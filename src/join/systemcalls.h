#pragma once

#include "fileidentity.h"
#include "seam.h"

#include <QtGlobal>

#ifdef Q_OS_WIN
#include <string>

#include <windows.h>
#else
#include <cerrno>

#include <poll.h>
#include <sys/stat.h>
#include <sys/types.h>
#endif

// Every system call by which a join reads its inputs and writes its output, listed once. Each
// goes to SystemCalls::current(): the system itself, unless a test has put a double in its place
// that fails, shortens or holds a chosen call. The callers see what the system would have said,
// EINTR, short counts and all, and deal with it themselves.
//
// X(result, name, failure, (parameters), (arguments)): failure is what the call returns when it
// fails, with the reason in errno (Linux) or GetLastError() (Windows).
#ifdef Q_OS_WIN
#define QUILLMERE_SYSTEM_CALLS(X)                                                                        \
    X(HANDLE, CreateFileW, INVALID_HANDLE_VALUE,                                                         \
      (LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security, DWORD disposition,       \
       DWORD attributes, HANDLE model),                                                                  \
      (name, access, share, security, disposition, attributes, model))                                   \
    X(BOOL, CloseHandle, FALSE, (HANDLE handle), (handle))                                               \
    X(BOOL, ReadFile, FALSE, (HANDLE handle, LPVOID data, DWORD size, LPDWORD done, LPOVERLAPPED overlapped), \
      (handle, data, size, done, overlapped))                                                            \
    X(BOOL, WriteFile, FALSE,                                                                            \
      (HANDLE handle, LPCVOID data, DWORD size, LPDWORD done, LPOVERLAPPED overlapped),                  \
      (handle, data, size, done, overlapped))                                                            \
    X(BOOL, FlushFileBuffers, FALSE, (HANDLE handle), (handle))                                          \
    X(DWORD, GetFileType, FILE_TYPE_UNKNOWN, (HANDLE handle), (handle))                                  \
    X(BOOL, GetFileInformationByHandle, FALSE, (HANDLE handle, LPBY_HANDLE_FILE_INFORMATION information), \
      (handle, information))                                                                             \
    X(BOOL, GetFileSizeEx, FALSE, (HANDLE handle, PLARGE_INTEGER size), (handle, size))                  \
    X(BOOL, SetFilePointerEx, FALSE, (HANDLE handle, LARGE_INTEGER offset, PLARGE_INTEGER at, DWORD from), \
      (handle, offset, at, from))                                                                        \
    X(BOOL, SetEndOfFile, FALSE, (HANDLE handle), (handle))                                              \
    X(BOOL, SetFileInformationByHandle, FALSE,                                                           \
      (HANDLE handle, FILE_INFO_BY_HANDLE_CLASS kind, LPVOID information, DWORD size),                   \
      (handle, kind, information, size))                                                                 \
    X(DWORD, GetFinalPathNameByHandleW, 0, (HANDLE handle, LPWSTR path, DWORD size, DWORD flags),        \
      (handle, path, size, flags))                                                                       \
    X(DWORD, GetFileAttributesW, INVALID_FILE_ATTRIBUTES, (LPCWSTR name), (name))                        \
    X(BOOL, ReplaceFileW, FALSE,                                                                         \
      (LPCWSTR replaced, LPCWSTR replacement, LPCWSTR backup, DWORD flags, LPVOID exclude, LPVOID reserved), \
      (replaced, replacement, backup, flags, exclude, reserved))                                         \
    X(BOOL, MoveFileExW, FALSE, (LPCWSTR from, LPCWSTR to, DWORD flags), (from, to, flags))              \
    X(BOOL, DeleteFileW, FALSE, (LPCWSTR name), (name))                                                  \
    X(DWORD, GetTempPathW, 0, (DWORD size, LPWSTR path), (size, path))                                   \
    X(BOOL, GetDiskFreeSpaceExW, FALSE,                                                                  \
      (LPCWSTR folder, PULARGE_INTEGER available, PULARGE_INTEGER total, PULARGE_INTEGER free),          \
      (folder, available, total, free))                                                                  \
    X(BOOL, PeekNamedPipe, FALSE,                                                                        \
      (HANDLE handle, LPVOID data, DWORD size, LPDWORD read, LPDWORD available, LPDWORD left),           \
      (handle, data, size, read, available, left))
#else
#define QUILLMERE_SYSTEM_CALLS(X)                                                                        \
    X(int, openat, -1, (int folder, const char *name, int flags, mode_t mode), (folder, name, flags, mode)) \
    X(int, close, -1, (int handle), (handle))                                                            \
    X(ssize_t, read, -1, (int handle, void *data, size_t size), (handle, data, size))                    \
    X(ssize_t, write, -1, (int handle, const void *data, size_t size), (handle, data, size))             \
    X(off_t, lseek, -1, (int handle, off_t offset, int from), (handle, offset, from))                    \
    X(int, fstat, -1, (int handle, struct stat *status), (handle, status))                               \
    X(int, fstatat, -1, (int folder, const char *name, struct stat *status, int flags),                  \
      (folder, name, status, flags))                                                                     \
    X(int, faccessat, -1, (int folder, const char *name, int mode, int flags), (folder, name, mode, flags)) \
    X(ssize_t, readlinkat, -1, (int folder, const char *name, char *target, size_t size),                \
      (folder, name, target, size))                                                                      \
    X(int, fcntl, -1, (int handle, int command, int argument), (handle, command, argument))              \
    X(int, poll, -1, (struct pollfd * entries, nfds_t count, int timeout), (entries, count, timeout))    \
    X(int, fsync, -1, (int handle), (handle))                                                            \
    X(int, sync_file_range, -1, (int handle, off_t offset, off_t size, unsigned int flags),              \
      (handle, offset, size, flags))                                                                     \
    X(int, fallocate, -1, (int handle, int mode, off_t offset, off_t size), (handle, mode, offset, size)) \
    X(int, ftruncate, -1, (int handle, off_t size), (handle, size))                                      \
    X(int, fchmod, -1, (int handle, mode_t mode), (handle, mode))                                        \
    X(int, fchown, -1, (int handle, uid_t owner, gid_t group), (handle, owner, group))                   \
    X(ssize_t, flistxattr, -1, (int handle, char *names, size_t size), (handle, names, size))            \
    X(ssize_t, fgetxattr, -1, (int handle, const char *name, void *value, size_t size),                  \
      (handle, name, value, size))                                                                       \
    X(int, fsetxattr, -1, (int handle, const char *name, const void *value, size_t size, int flags),     \
      (handle, name, value, size, flags))                                                                \
    X(int, fremovexattr, -1, (int handle, const char *name), (handle, name))                             \
    X(int, flock, -1, (int handle, int operation), (handle, operation))                                  \
    X(int, linkat, -1, (int fromFolder, const char *from, int toFolder, const char *to, int flags),      \
      (fromFolder, from, toFolder, to, flags))                                                           \
    X(int, renameat2, -1, (int fromFolder, const char *from, int toFolder, const char *to, unsigned int flags), \
      (fromFolder, from, toFolder, to, flags))                                                           \
    X(int, unlinkat, -1, (int folder, const char *name, int flags), (folder, name, flags))
#endif

/** The join's way to the system: one virtual function for each entry of QUILLMERE_SYSTEM_CALLS. */
class SystemCalls : public Seam<SystemCalls>
{
public:
    virtual ~SystemCalls() = default;

#define QUILLMERE_DECLARE_SYSTEM_CALL(result, name, failure, parameters, arguments) \
    virtual result name parameters;
    QUILLMERE_SYSTEM_CALLS(QUILLMERE_DECLARE_SYSTEM_CALL)
#undef QUILLMERE_DECLARE_SYSTEM_CALL

    /** The system's own calls. */
    static SystemCalls &native();
};

/** Short for SystemCalls::current(). */
inline SystemCalls &sys()
{
    return SystemCalls::current();
}

/** The reason the last failed call of this thread gave: errno, or GetLastError() on Windows. */
int lastSystemError();

/** The system's text for the reason @p error. */
QString systemErrorText(int error);

#ifdef Q_OS_WIN
/** @p path as the system's calls take it: backslashes, UTF-16. */
std::wstring nativePath(const QString &path);

/** The file that @p information describes. */
inline FileIdentity identityOf(const BY_HANDLE_FILE_INFORMATION &information)
{
    return {information.dwVolumeSerialNumber, quint64(information.nFileIndexHigh) << 32 | information.nFileIndexLow};
}
#else
/** The file that @p status describes. */
inline FileIdentity identityOf(const struct stat &status)
{
    return {quint64(status.st_dev), quint64(status.st_ino)};
}

/**
 * Makes @p call, a call that fails with -1, again for as long as a signal interrupts it (EINTR):
 * its result, and on failure its reason in errno.
 */
template <typename Call>
auto uninterrupted(Call call)
{
    for (;;) {
        const auto result = call();
        if (result != -1 || errno != EINTR)
            return result;
    }
}
#endif
