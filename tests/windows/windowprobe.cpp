// windowprobe TITLE [SECONDS]: waits for a visible top-level window of that title and prints the
// size of its client area, "WIDTH HEIGHT"; exits 1 when none shows within the time (10 s). Asks
// the window system itself, so that a check of the real program sees what its users see.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: windowprobe TITLE [SECONDS]\n");
        return 2;
    }
    const int seconds = argc > 2 ? std::atoi(argv[2]) : 10;
    for (int waited = 0; waited <= seconds * 10; ++waited) {
        const HWND window = FindWindowA(nullptr, argv[1]);
        RECT client{};
        if (window && IsWindowVisible(window) && GetClientRect(window, &client)) {
            std::printf("%ld %ld\n", client.right - client.left, client.bottom - client.top);
            return 0;
        }
        Sleep(100);
    }
    std::fprintf(stderr, "windowprobe: no window titled \"%s\" showed within %d s\n", argv[1], seconds);
    return 1;
}
