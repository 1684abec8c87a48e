#pragma once
// What the content's program tests share on the tests' device: the constant data the programs
// read at b8 (the 608-byte ContextBuffer, then one float per variable), and the GPU objects a
// suite makes once (the slow part under Wine) and releases at its end.
#include "gfx/FrameConstants.h"
#include "gfx/frame/ContextBuffer.h"
#include "tests/support/TestDevice.h"

#include <cstddef>
#include <cstring>
#include <vector>

namespace Nimbra {
namespace Testing {

struct ConstantData
{
    static constexpr UINT size = 864;  // the header and the content's 64 variables

    void set(size_t offset, const void* value, size_t length) { std::memcpy(bytes + offset, value, length); }
    void setVariable(UINT index, float value) { set(sizeof(ContextBuffer) + 4 * index, &value, 4); }
    void setMatrix(size_t offset, const float (&m)[16]) { set(offset, m, sizeof m); }

    unsigned char bytes[size] = {};
};

class SuiteObjects
{
public:
    // Keeps `object` (when it was made) for releaseAll and hands it back.
    template <class T>
    T* keep(T* object)
    {
        if (object != nullptr)
            objects.push_back(object);
        return object;
    }

    // A structured buffer of `size` bytes of `data` with its view, both kept; null on failure.
    ID3D11ShaderResourceView* structuredView(const void* data, UINT size)
    {
        ID3D11Buffer* buffer = nullptr;
        ID3D11ShaderResourceView* view = createStructuredView(data, size, &buffer);
        keep(buffer);
        return keep(view);
    }

    void releaseAll()
    {
        for (auto object = objects.rbegin(); object != objects.rend(); ++object)
            (*object)->Release();
        objects.clear();
    }

private:
    std::vector<IUnknown*> objects;
};

} // namespace Testing
} // namespace Nimbra
