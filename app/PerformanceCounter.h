#pragma once
// Microseconds on the system's steadiest clock: the performance counter on Windows, the steady
// clock elsewhere. Only differences mean anything.
#include <cstdint>

namespace Nimbra {

uint64_t performanceCounterMicroseconds();

}  // namespace Nimbra
