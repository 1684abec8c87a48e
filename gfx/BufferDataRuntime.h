#pragma once
// A structured buffer filled from numbers: embedded elements, or a text file of numbers.
#include "gfx/BufferRuntime.h"
#include "gfx/ElementType.h"
#include "gfx/ResourcePath.h"

#include <cstdint>

namespace Nimbra {
namespace Gfx {

struct BufferDataDesc {
    int32_t elementType = Float32;
    char path[pathCapacity] = {};  // read when data is null
    const void* data = nullptr;    // count elements in binary form; not owned
    uint32_t count = 0;
};

class BufferDataRuntime : public BufferRuntime
{
public:
    BufferDataRuntime() = default;

    // Always true; a file that cannot be read leaves a buffer of `count` uninitialised elements.
    bool create(const BufferDataDesc& desc);

    bool create(const void* desc, bool doubleBuffered) override;
    bool release() override;
    // Fills data and count from the file at path; does nothing when it cannot be read.
    void loadFromFile();

    int32_t elementType = Float32;
    char path[pathCapacity] = {};
    const void* data = nullptr;
    uint32_t count = 0;

private:
    void* ownedData = nullptr;  // the block parsed from a file, freed by release
};

}  // namespace Gfx
}  // namespace Nimbra
