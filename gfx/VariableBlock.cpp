#include "gfx/VariableBlock.h"

#include <cstdlib>
#include <cstring>

namespace Nimbra {
namespace Gfx {

VariableBlock::~VariableBlock()
{
    std::free(bytes);
}

void VariableBlock::releasePacking()
{
    std::free(bytes);
    bytes = nullptr;
    byteCount = 0;
    offsets.release();
}

void VariableBlock::rebuild(GrowArray<DemoVariable> variables)
{
    // The old snapshot leaves with `variables` when it goes out of scope.
    snapshot.swapContents(variables);

    // Starting from empty keeps a second rebuild from appending to the first one's offsets.
    std::free(bytes);
    bytes = nullptr;
    byteCount = 0;
    offsets.resize(0);
    offsets.push(0);
    for (const DemoVariable& variable : snapshot) {
        byteCount += variableTypeSize(variable.type);
        offsets.push(byteCount);
    }

    bytes = static_cast<uint8_t*>(std::malloc(byteCount > 0 ? byteCount : 1));
    for (uint32_t i = 0; i < snapshot.count; ++i)
        std::memcpy(bytes + offsets[i], snapshot[i].value, variableTypeSize(snapshot[i].type));
}

uint32_t constantDataSize(uint32_t byteCount)
{
    return (contextBufferSize + byteCount + 15u) / 16u * 16u;
}

uint8_t* buildConstantData(const ContextBuffer& header, const VariableBlock& block, uint32_t& size)
{
    size = constantDataSize(block.byteCount);
    uint8_t* data = static_cast<uint8_t*>(std::malloc(size));
    std::memcpy(data, &header, contextBufferSize);
    if (block.byteCount > 0)
        std::memcpy(data + contextBufferSize, block.bytes, block.byteCount);
    // Zeroed padding keeps every upload deterministic.
    const uint32_t used = contextBufferSize + block.byteCount;
    std::memset(data + used, 0, size - used);
    return data;
}

}  // namespace Gfx
}  // namespace Nimbra
