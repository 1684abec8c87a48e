#pragma once
// What the content's program tests share on the tests' device: the constant data the programs
// read at b8 (the 608-byte ContextBuffer, then one float per content variable), the GPU objects
// a suite makes once (the slow part under Wine) and releases at its end, and one draw into a
// suite's target as the demo's draw pass makes it.
#include "content/animation/ContentVariables.h"
#include "tools/capture/HalfFloat.h"
#include "gfx/frame/ContextBuffer.h"
#include "gfx/frame/ShaderRegisters.h"
#include "tests/support/TestDevice.h"

#include <cstddef>
#include <cstring>
#include <vector>

namespace Nimbra {
namespace Testing {

struct ConstantData {
    static constexpr UINT size = contextBufferBytes + 4 * contentVariableCount;

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

// One instanced draw without vertex buffers: a triangle list, the inputs at t0, t1, ... of both
// stages, the frame constants at b8.
struct ProgramDraw {
    ID3D11VertexShader* vertexShader = nullptr;
    ID3D11PixelShader* pixelShader = nullptr;
    ID3D11ShaderResourceView* const* inputs = nullptr;
    UINT inputCount = 0;
    UINT vertexCount = 3;
    UINT instanceCount = 1;
    UINT firstInstance = 0;
    ID3D11BlendState* blend = nullptr;        // null: no blending
    ID3D11DepthStencilView* depth = nullptr;  // cleared to 1 and bound; null: no depth test
    float clear[4] = {0, 0, 0, 0};
};

// A suite's 16-bit float colour target with its constant buffer and an unculled rasterizer.
class ProgramTarget
{
public:
    // False when one of them cannot be made; all are kept in `kept`.
    bool create(UINT targetWidth, UINT targetHeight, SuiteObjects& kept)
    {
        width = targetWidth;
        height = targetHeight;
        constants = kept.keep(createConstantBuffer(ConstantData::size));
        texture = kept.keep(createColourTarget(width, height, &view));
        kept.keep(view);
        rasterizer = kept.keep(createUnculledRasterizer());
        return constants && texture && view && rasterizer;
    }

    // Uploads `data`, clears the target, draws, unbinds and returns the target's texels (8 bytes
    // each, rows packed).
    std::vector<uint8_t> draw(const ConstantData& data, const ProgramDraw& draw) const
    {
        ID3D11DeviceContext* context = graphicsContext.context;
        context->UpdateSubresource(constants, 0, nullptr, data.bytes, 0, 0);
        context->ClearRenderTargetView(view, draw.clear);
        if (draw.depth)
            context->ClearDepthStencilView(draw.depth, D3D11_CLEAR_DEPTH, 1.0f, 0);
        const D3D11_VIEWPORT viewport = {0, 0, float(width), float(height), 0, 1};
        context->RSSetViewports(1, &viewport);
        context->RSSetState(rasterizer);
        context->OMSetRenderTargets(1, &view, draw.depth);
        context->OMSetBlendState(draw.blend, nullptr, 0xFFFFFFFF);
        context->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST);
        context->VSSetConstantBuffers(frameConstantsRegister, 1, &constants);
        context->PSSetConstantBuffers(frameConstantsRegister, 1, &constants);
        context->VSSetShaderResources(0, draw.inputCount, draw.inputs);
        context->PSSetShaderResources(0, draw.inputCount, draw.inputs);
        context->VSSetShader(draw.vertexShader, nullptr, 0);
        context->PSSetShader(draw.pixelShader, nullptr, 0);
        context->DrawInstanced(draw.vertexCount, draw.instanceCount, 0, draw.firstInstance);
        const std::vector<ID3D11ShaderResourceView*> none(draw.inputCount, nullptr);
        context->VSSetShaderResources(0, draw.inputCount, none.data());
        context->PSSetShaderResources(0, draw.inputCount, none.data());
        ID3D11RenderTargetView* noTarget = nullptr;
        context->OMSetRenderTargets(1, &noTarget, nullptr);
        context->OMSetBlendState(nullptr, nullptr, 0xFFFFFFFF);
        return readTexture(texture, 8);
    }

    // One channel (0 red to 3 alpha) of the texel at (x, y) of what draw returned.
    float channelAt(const std::vector<uint8_t>& texels, UINT x, UINT y, UINT channel) const
    {
        uint16_t half;
        std::memcpy(&half, &texels[(size_t(y) * width + x) * 8 + 2 * channel], 2);
        return Gfx::halfToFloat(half);
    }

    UINT width = 0, height = 0;
    ID3D11Buffer* constants = nullptr;
    ID3D11Texture2D* texture = nullptr;
    ID3D11RenderTargetView* view = nullptr;
    ID3D11RasterizerState* rasterizer = nullptr;
};

}  // namespace Testing
}  // namespace Nimbra
