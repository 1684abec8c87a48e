#pragma once
#include <cstdint>

namespace Nimbra {

// The stream plays one looping ring of kStreamFrames stereo frames. Song frame f lives in slot
// f mod kStreamFrames, so the refill always writes exactly the frames the device has played
// since the last visit into the slots they vacated.
constexpr uint32_t kStreamFrames = 4096;

// The refill thread's sleep between two looks at the position: about 220 frames a visit, far
// inside the 92.9 ms lap even where the system timer rounds each wake-up up to its 15.6 ms tick
// (RefillTiming.h).
constexpr uint32_t kRefillIntervalMs = 5;

// With `written` frames replaced and `played` by the device: a whole lap while both are in the same lap, else up to
// the ring's end so that no chunk crosses it; never more than is missing (0 when nothing is).
uint32_t nextRefillChunk(uint32_t written, uint32_t played);

// The ring slot where the next chunk starts.
inline uint32_t refillSlot(uint32_t written)
{
    return written % kStreamFrames;
}

}  // namespace Nimbra
