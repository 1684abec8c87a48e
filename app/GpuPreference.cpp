// On a laptop with two GPUs the drivers give a program the integrated one unless the program
// exports these values as 1 (NVIDIA Optimus and AMD PowerXpress read them when the process
// starts). Linked as an object into each program: from a static library nothing would pull it in.
#include <windows.h>

extern "C" {
__declspec(dllexport) DWORD NvOptimusEnablement = 1;
__declspec(dllexport) int AmdPowerXpressRequestHighPerformance = 1;
}
