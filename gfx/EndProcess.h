#pragma once

#include <windows.h>

#include <cstdio>

namespace Nimbra {
namespace Gfx {

// Ends a tool or test program that keeps Direct3D objects alive to the end, once its results are
// out (its files closed): standard output and error are flushed, and TerminateProcess skips the
// libraries' detach. Under Wine the software rasteriser has crashed in that teardown now and then
// ("double free or corruption"), after everything had been written. The demo itself ends with
// ExitProcess, as a Windows program does.
inline void endWithoutDriverTeardown(UINT status)
{
    std::fflush(stdout);
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), status);
}

}  // namespace Gfx
}  // namespace Nimbra
