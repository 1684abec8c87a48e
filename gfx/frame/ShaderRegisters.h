#pragma once
// The registers every program of the demo shares with the passes, in one place for the frame
// context, the passes, the check of a new program and the tests: the frame constants at b8 and
// the six shared samplers at s0 to s5, and the size of the header at the head of those constants
// (ContextBuffer.hlsli declares the same). Portable: no Windows header.
#include <cstdint>

namespace Nimbra {

// Register b8 of every stage: the ContextBuffer followed by the packed variables.
constexpr uint32_t frameConstantsRegister = 8;

// s0 to s5: linear clamp, border, wrap; point clamp, border, wrap.
constexpr uint32_t sharedSamplerCount = 6;

// The ContextBuffer at the head of the frame constants (ContextBuffer.h pins its layout).
constexpr uint32_t contextBufferBytes = 608;

}  // namespace Nimbra
