// post-close TITLE: posts WM_CLOSE to the top-level window named TITLE, as a window manager's
// close button does, and prints the moment it did so as "posted_unix_ms=N" (the wall clock the
// end-to-end harness measures with). Exit code 0 once posted, 1 when no such window exists.
#include <windows.h>

#include <cstdio>

namespace {

// 100 ns steps between 1601-01-01 and 1970-01-01.
constexpr unsigned long long unixEpochInFileTime = 116444736000000000ull;

unsigned long long unixMilliseconds()
{
    FILETIME now = {};
    GetSystemTimeAsFileTime(&now);
    const unsigned long long ticks = ((unsigned long long)now.dwHighDateTime << 32) | now.dwLowDateTime;
    return (ticks - unixEpochInFileTime) / 10000;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: post-close TITLE\n");
        return 2;
    }
    HWND window = FindWindowA(nullptr, argv[1]);
    if (!window) {
        std::fprintf(stderr, "post-close: no window named %s\n", argv[1]);
        return 1;
    }
    const unsigned long long posted = unixMilliseconds();
    if (!PostMessageW(window, WM_CLOSE, 0, 0)) {
        std::fprintf(stderr, "post-close: the message could not be posted\n");
        return 1;
    }
    std::printf("posted_unix_ms=%llu\n", posted);
    return 0;
}
