// quillmere-measure [--stdout FILE [--sync]] -- COMMAND [ARG]...
//
// Runs COMMAND and prints, on one line, its wall time in seconds, its peak resident memory in KiB
// and the processor time it used (user and system) in seconds, taken from the kernel's own
// accounting (wait4), so no /usr/bin/time is needed. The processor time tells the program's own
// work from waiting for the disk or for other processes on a busy machine. With --sync the wall
// time also covers flushing FILE to the disk, which is what a crash-safe writer pays at the end.

#include <sys/resource.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>

int main(int argc, char *argv[])
{
    const char *stdoutPath = nullptr;
    bool sync = false;
    int first = 1;
    for (; first < argc && std::strcmp(argv[first], "--") != 0; ++first) {
        if (std::strcmp(argv[first], "--stdout") == 0 && first + 1 < argc)
            stdoutPath = argv[++first];
        else if (std::strcmp(argv[first], "--sync") == 0)
            sync = true;
        else
            break;
    }
    if (first + 1 >= argc || std::strcmp(argv[first], "--") != 0 || (sync && stdoutPath == nullptr)) {
        std::fputs("usage: quillmere-measure [--stdout FILE [--sync]] -- COMMAND [ARG]...\n", stderr);
        return 2;
    }
    char **command = argv + first + 1;

    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child < 0) {
        std::perror("fork");
        return 1;
    }
    if (child == 0) {
        if (stdoutPath != nullptr) {
            const int fd = open(stdoutPath, O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (fd < 0 || dup2(fd, STDOUT_FILENO) < 0) {
                std::perror(stdoutPath);
                _exit(127);
            }
            close(fd);
        }
        execvp(command[0], command);
        std::perror(command[0]);
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) < 0) {
        std::perror("wait4");
        return 1;
    }
    if (sync) {
        const int fd = open(stdoutPath, O_WRONLY);
        if (fd < 0 || fdatasync(fd) != 0) {
            std::perror(stdoutPath);
            return 1;
        }
        close(fd);
    }
    const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "quillmere-measure: %s failed\n", command[0]);
        return 1;
    }
    const auto seconds = [](const timeval &time) { return static_cast<double>(time.tv_sec) + time.tv_usec / 1e6; };
    std::printf("%.3f %ld %.3f\n", wall.count(), usage.ru_maxrss, seconds(usage.ru_utime) + seconds(usage.ru_stime));
    return 0;
}
