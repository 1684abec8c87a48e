#include "app/PerformanceCounter.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <chrono>
#endif

namespace Nimbra {

#ifdef _WIN32
// Both calls always succeed from Windows XP on. The whole seconds and the rest are scaled apart,
// so that ticks times a million cannot overflow.
uint64_t performanceCounterMicroseconds()
{
    static const uint64_t frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return uint64_t(f.QuadPart);
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    const uint64_t ticks = uint64_t(now.QuadPart);
    return ticks / frequency * 1000000 + ticks % frequency * 1000000 / frequency;
}
#else
uint64_t performanceCounterMicroseconds()
{
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return uint64_t(std::chrono::duration_cast<std::chrono::microseconds>(now).count());
}
#endif

}  // namespace Nimbra
