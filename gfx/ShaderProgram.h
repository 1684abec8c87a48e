#pragma once
// The Direct3D shaders made from a ShaderDesc's bytecode. No compiler runs at run time.
#include "gfx/ShaderDesc.h"

#include <d3d11.h>

namespace Nimbra {
namespace Gfx {

struct ShaderProgram : ShaderDesc {
    ShaderProgram() = default;
    ShaderProgram(const ShaderProgram&) = delete;
    ShaderProgram& operator=(const ShaderProgram&) = delete;

    // Creates the vertex and pixel shaders (kind 0) or the compute shader (kind 1). Nothing is
    // created without code; a shader the device refuses stays null.
    void create(const ShaderDesc& desc);
    // A new program for one stage, in two steps. make() runs on any thread (the device is created
    // free-threaded): the shader of `stage` for a program of `kind`, null for a stage that kind
    // does not have or a shader the device refuses. put() takes `made` over in the frame thread's
    // time, between frames, in place of the shader there, pointing the copied description at
    // `code`.
    static ID3D11DeviceChild* make(ShaderKind kind, uint32_t stage, const void* code, uint32_t size);
    void put(uint32_t stage, ID3D11DeviceChild* made, const void* code, uint32_t size);

    ID3D11VertexShader* vertexShader = nullptr;
    ID3D11PixelShader* pixelShader = nullptr;
    ID3D11ComputeShader* computeShader = nullptr;
};

}  // namespace Gfx
}  // namespace Nimbra
