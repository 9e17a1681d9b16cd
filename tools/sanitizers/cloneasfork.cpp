// Linked into every program of a ThreadSanitizer build on Linux, and only there.
//
// QProcess starts a program through clone() with CLONE_VM | CLONE_VFORK: the child borrows the
// parent's memory until it calls exec. The sanitizer's clone() interceptor (clang 14) prepares
// its own state for a child as if after a fork, which with a shared memory overwrites the
// parent's, and the sanitizer stops with "CHECK failed" in the child. This clone() takes the
// place of the interceptor, which the sanitizer's runtime defines weakly, and starts such a child
// with fork() instead, which the sanitizer handles: the child runs the function and ends with its
// result, as QProcess's own fallback without vfork does, and the parent gets a pidfd where asked.
// Every other clone() goes on to the interceptor.

#include <cerrno>
#include <csignal>
#include <cstdarg>
#include <sched.h>
#include <sys/syscall.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#ifndef CLONE_PIDFD
#define CLONE_PIDFD 0x00001000
#endif

extern "C" int __interceptor_clone(int (*fn)(void *), void *stack, int flags, void *arg, int *parentTid,
                                   void *tls, pid_t *childTid);

// noexcept as glibc declares it.
extern "C" int clone(int (*fn)(void *), void *stack, int flags, void *arg, ...) noexcept
{
    va_list rest;
    va_start(rest, arg);
    int *const parentTid = va_arg(rest, int *);
    void *const tls = va_arg(rest, void *);
    pid_t *const childTid = va_arg(rest, pid_t *);
    va_end(rest);

    constexpr int VforkFlags = CLONE_VM | CLONE_VFORK;
    constexpr int KnownFlags = VforkFlags | CLONE_PIDFD | CSIGNAL;
    if ((flags & VforkFlags) != VforkFlags || (flags & ~KnownFlags) != 0 || (flags & CSIGNAL) != SIGCHLD)
        return __interceptor_clone(fn, stack, flags, arg, parentTid, tls, childTid);

    const pid_t pid = fork();
    if (pid == 0)
        _exit(fn(arg));
    if (pid > 0 && (flags & CLONE_PIDFD) != 0) {
        const long pidfd = syscall(SYS_pidfd_open, pid, 0);
        if (pidfd < 0) {
            const int error = errno;
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
            errno = error;
            return -1;
        }
        *parentTid = static_cast<int>(pidfd);
    }
    return pid;
}
