// Process entry of demo.exe. The exit code is 0 whatever the run returns; ExitProcess also
// leaves the GPU objects to the system instead of tearing them down one by one.
#include <windows.h>

#include "app/FrameLoop.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    Nimbra::runDemo();
    ExitProcess(0);
}
