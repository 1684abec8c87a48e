#pragma once

#include <windows.h>

#include <cstdio>

namespace Nimbra {
namespace Gfx {

// For tools and tests that keep Direct3D objects alive to the end, once their files are closed: TerminateProcess
// skips the libraries' detach, where Wine's software rasteriser has crashed now and then. The demo uses ExitProcess.
inline void endWithoutDriverTeardown(UINT status)
{
    std::fflush(stdout);
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), status);
}

}  // namespace Gfx
}  // namespace Nimbra
