#pragma once
// The sound the stream plays: 32-bit float stereo at 44,100 frames per second, so one frame is
// eight bytes. The play position is counted in these frames.
#include <cstdint>

namespace Nimbra {

constexpr uint32_t kStreamRate = 44100;
constexpr uint32_t kStreamChannels = 2;
constexpr uint32_t kBytesPerFrame = kStreamChannels * sizeof(float);

}  // namespace Nimbra
