#pragma once
// Reads GPU objects back to the CPU through a staging copy: for the tests and the capture,
// never for the frame loop (each call waits for the GPU).
#include <d3d11.h>

#include <cstdint>
#include <vector>

namespace Nimbra {
namespace Gfx {

// The current contents of a buffer; false (and `bytes` unchanged) when it cannot be read.
bool readBackBuffer(ID3D11Device* device, ID3D11DeviceContext* context, ID3D11Buffer* buffer,
                    std::vector<uint8_t>& bytes);

// A texture the CPU can read, of the size and format of `texture`'s first mip level (one
// array slice): the place to copy it to. Null when it cannot be made. The caller releases it.
ID3D11Texture2D* createStagingTextureFor(ID3D11Device* device, ID3D11Texture2D* texture);

// The first mip level of a 2D texture as tightly packed rows of width x bytesPerTexel bytes.
bool readBackTexture(ID3D11Device* device, ID3D11DeviceContext* context, ID3D11Texture2D* texture,
                     uint32_t bytesPerTexel, std::vector<uint8_t>& bytes);

}  // namespace Gfx
}  // namespace Nimbra
