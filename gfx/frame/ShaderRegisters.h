#pragma once
// Registers every program shares with the passes: frame constants at b8, shared samplers at s0 to s5, and the
// size of the constants' header (ContextBuffer.hlsli declares the same). Portable: no Windows header.
#include <cstdint>

namespace Nimbra {

// Register b8 of every stage: the ContextBuffer followed by the packed variables.
constexpr uint32_t frameConstantsRegister = 8;

// s0 to s5: linear clamp, border, wrap; point clamp, border, wrap.
constexpr uint32_t sharedSamplerCount = 6;

// The ContextBuffer at the head of the frame constants (ContextBuffer.h pins its layout).
constexpr uint32_t contextBufferBytes = 608;

}  // namespace Nimbra
