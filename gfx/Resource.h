#pragma once
// Every GPU object a pass reads or writes. Passes only reach the Direct3D objects through the
// getters, which also pick the side of a double-buffered resource.
#include <d3d11.h>

namespace Nimbra {
namespace Gfx {

class Resource
{
public:
    // Slot 0: `desc` points at the descriptor of the concrete class (TextureDesc, ImageDesc,
    // BufferDesc or BufferDataDesc). The typed overloads of each class are the usual entry.
    virtual bool create(const void* desc, bool doubleBuffered) = 0;
    virtual bool createGpuObjects() = 0;
    virtual void update();
    virtual bool release() = 0;
    virtual ID3D11Resource* resource(bool readSide) = 0;
    virtual ID3D11UnorderedAccessView* uav(bool readSide) = 0;
    virtual ID3D11ShaderResourceView* srv(bool readSide) = 0;
    virtual ID3D11RenderTargetView* rtv(bool readSide) = 0;
    virtual ID3D11DepthStencilView* dsv() = 0;

    bool doubleBuffered = false;  // two GPU objects of each kind
    bool parity = false;          // which of the two is written this frame

protected:
    Resource() = default;
    ~Resource() = default;

    // A double-buffered resource writes side `parity` and reads the other one.
    int side(bool readSide) const { return doubleBuffered ? (parity != readSide ? 1 : 0) : 0; }
};

// Releases a COM object if there is one and forgets it.
template <typename T>
void releaseAndClear(T*& object)
{
    if (object != nullptr) {
        object->Release();
        object = nullptr;
    }
}

}  // namespace Gfx
}  // namespace Nimbra
