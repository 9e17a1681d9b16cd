#include "systemcalls.h"

#include <QDir>
#include <QString>

#ifndef Q_OS_WIN
#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/xattr.h>
#include <unistd.h>
#endif

#define QUILLMERE_DEFINE_SYSTEM_CALL(result, name, failure, parameters, arguments) \
    result SystemCalls::name parameters                                            \
    {                                                                              \
        return ::name arguments;                                                   \
    }
QUILLMERE_SYSTEM_CALLS(QUILLMERE_DEFINE_SYSTEM_CALL)
#undef QUILLMERE_DEFINE_SYSTEM_CALL

SystemCalls &SystemCalls::native()
{
    static SystemCalls system;
    return system;
}

#ifdef Q_OS_WIN
std::wstring nativePath(const QString &path)
{
    return QDir::toNativeSeparators(path).toStdWString();
}
#endif

int lastSystemError()
{
#ifdef Q_OS_WIN
    return static_cast<int>(::GetLastError());
#else
    return errno;
#endif
}

QString systemErrorText(int error)
{
    return qt_error_string(error);
}
