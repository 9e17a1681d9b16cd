// Preloaded into quillmere-join by tst_cli: the call named in QUILLMERE_SLOW_CALL (fsync or
// rename) first creates the file named in QUILLMERE_SLOW_CALL_STARTED, then waits until a signal
// comes, and only then does its work. So the test's signal surely arrives during that call.

#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

template <typename Function>
Function *heldCall(const char *call)
{
    const char *chosen = std::getenv("QUILLMERE_SLOW_CALL");
    const char *started = std::getenv("QUILLMERE_SLOW_CALL_STARTED");
    if (chosen != nullptr && started != nullptr && std::strcmp(chosen, call) == 0) {
        ::close(::open(started, O_WRONLY | O_CREAT | O_CLOEXEC, 0600));
        timespec wait{30, 0};
        ::nanosleep(&wait, nullptr); // ends early when a caught signal comes
    }
    return reinterpret_cast<Function *>(dlsym(RTLD_NEXT, call));
}

} // namespace

extern "C" int fsync(int handle)
{
    return heldCall<int(int)>("fsync")(handle);
}

extern "C" int rename(const char *from, const char *to)
{
    return heldCall<int(const char *, const char *)>("rename")(from, to);
}
