// libquillmere-nosync: preloaded by the benchmark to see what quillmere-join would take without
// flushing its output to the disk. It turns the flush calls into no-ops, for the one process it
// is preloaded into, so that the program itself stays as it ships: crash-safe.

#include <sys/types.h>

extern "C" {

int fsync(int)
{
    return 0;
}

int fdatasync(int)
{
    return 0;
}

int sync_file_range(int, off64_t, off64_t, unsigned int)
{
    return 0;
}

} // extern "C"
