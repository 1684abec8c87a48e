#pragma once
// The frame's variable values packed back to back, and the constant data they travel in:
// the 608-byte ContextBuffer, the packed values, padding to a multiple of 16 bytes.
#include "gfx/frame/ContextBuffer.h"
#include "core/DemoVariable.h"
#include "core/GrowArray.h"

#include <cstdint>

namespace Nimbra {
namespace Gfx {

struct VariableBlock {
    GrowArray<DemoVariable> snapshot;
    GrowArray<uint32_t> offsets;  // offsets[i] is where variable i starts; one entry more
    uint8_t* bytes = nullptr;     // byteCount bytes from std::malloc
    uint32_t byteCount = 0;

    VariableBlock() = default;
    VariableBlock(const VariableBlock&) = delete;
    VariableBlock& operator=(const VariableBlock&) = delete;
    ~VariableBlock();

    // Takes the array as the new snapshot and packs its values without gaps or alignment.
    void rebuild(GrowArray<DemoVariable> variables);
    // Frees the packed bytes and the offsets' storage.
    void releasePacking();
};

// 608 + byteCount rounded up to 16.
uint32_t constantDataSize(uint32_t byteCount);

// A std::malloc block of constantDataSize(block.byteCount) bytes: the header, the packed
// values, zero padding.
uint8_t* buildConstantData(const ContextBuffer& header, const VariableBlock& block, uint32_t& size);

}  // namespace Gfx
}  // namespace Nimbra
