// shell_bench: time from launch to the first Present, and the frame loop's rate (placeholder work and Present) over
// five seconds. scripts/bench-shell.sh runs it under Wine with NIMBRA_LAUNCH_NS set, so Wine's start-up counts.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "app/DemoWindow.h"
#include "app/FrameLoop.h"
#include "app/Presentation.h"
#include "gfx/frame/Screen.h"
#include "app/SoundtrackClock.h"
#include "content/song/Song.h"

namespace {

// 100 ns steps between 1601-01-01 and 1970-01-01.
constexpr unsigned long long unixEpochInFileTime = 116444736000000000ull;

unsigned long long fileTimeToUnixMicroseconds(const FILETIME& ft)
{
    const unsigned long long ticks = ((unsigned long long)ft.dwHighDateTime << 32) | ft.dwLowDateTime;
    return (ticks - unixEpochInFileTime) / 10;
}

unsigned long long nowUnixMicroseconds()
{
    FILETIME now = {};
    GetSystemTimeAsFileTime(&now);
    return fileTimeToUnixMicroseconds(now);
}

double seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return (double)(to.QuadPart - from.QuadPart) / (double)frequency.QuadPart;
}

VOID CALLBACK endLoop(HWND, UINT, UINT_PTR, DWORD)
{
    PostQuitMessage(0);
}

}  // namespace

int main()
{
    using namespace Nimbra;
    setScreenSize(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    DemoWindow window;
    createWindowAndDevice(window);
    SoundtrackClock clock(songModule, songModuleSize);
    Presentation presentation;
    presentationStartUp(presentation, window);
    clock.start();
    if (!window.swapChain) {
        std::printf("shell_bench: no swap chain, nothing to measure\n");
        ExitProcess(1);
    }
    presentationFrameWork(presentation, 0.0f, 0.0f, 0, aspect);
    window.swapChain->Present(1, 0);
    const unsigned long long firstPresent = nowUnixMicroseconds();

    FILETIME creation = {}, unused = {};
    GetProcessTimes(GetCurrentProcess(), &creation, &unused, &unused, &unused);
    std::printf("screen                          %d x %d\n", screenWidth, screenHeight);
    std::printf("process creation to first Present %8.1f ms\n",
                (double)(firstPresent - fileTimeToUnixMicroseconds(creation)) / 1000.0);
    if (const char* launch = std::getenv("NIMBRA_LAUNCH_NS")) {
        const unsigned long long launchUs = std::strtoull(launch, nullptr, 10) / 1000;
        std::printf("launch (wine) to first Present    %8.1f ms\n", (double)(firstPresent - launchUs) / 1000.0);
    }

    SetTimer(window.hwnd, 1, 5000, endLoop);
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    const uint32_t frames = runFrameLoop(window, presentation, clock);
    QueryPerformanceCounter(&end);
    std::printf("frame loop                        %8.1f frames per second (%u frames in %.2f s)\n",
                frames / seconds(start, end), frames, seconds(start, end));
    std::fflush(stdout);
    clock.stop();
    presentationShutdown(presentation);
    finishGpuWork(window);
    ExitProcess(0);
}
