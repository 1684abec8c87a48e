// demo-capture's device with and without the debug layer. Windows without the optional
// Graphics Tools answers a request for the layer with DXGI_ERROR_SDK_COMPONENT_MISSING, which
// Wine never does: a stand-in for D3D11CreateDevice answers as such a system would and passes
// everything else to the real one.
#include "tools/capture/CaptureDevice.h"

#include <gtest/gtest.h>

#include <vector>

namespace Nimbra {
namespace {

struct Call {
    UINT flags;
    UINT levels;
};
std::vector<Call> calls;
HRESULT answer = S_OK;  // what the stand-in says to a request for the debug layer; S_OK passes it on

HRESULT WINAPI standIn(IDXGIAdapter* adapter, D3D_DRIVER_TYPE type, HMODULE software, UINT flags,
                       const D3D_FEATURE_LEVEL* levels, UINT levelCount, UINT version, ID3D11Device** device,
                       D3D_FEATURE_LEVEL* level, ID3D11DeviceContext** context)
{
    calls.push_back({flags, levelCount});
    if ((flags & D3D11_CREATE_DEVICE_DEBUG) && answer != S_OK)
        return answer;
    return D3D11CreateDevice(adapter, type, software, flags & ~UINT(D3D11_CREATE_DEVICE_DEBUG), levels, levelCount,
                             version, device, level, context);
}

TEST(CaptureDevice, WithoutTheLayerInstalledTheDeviceIsMadeWithoutIt)
{
    const UINT debug = D3D11_CREATE_DEVICE_DEBUG;
    const struct {
        bool debugLayer;
        bool lowerLevels;
        HRESULT answer;
        bool device;
        DebugLayer layer;
        std::vector<UINT> flags;  // of every call, in order
        UINT levels;
    } cases[] = {
        {false, false, S_OK, true, DebugLayer::Off, {0}, 1},
        {true, false, S_OK, true, DebugLayer::On, {debug}, 1},
        {true, true, DXGI_ERROR_SDK_COMPONENT_MISSING, true, DebugLayer::Missing, {debug, 0}, 3},
        // Any other refusal is the device's, not the layer's: no second try.
        {true, false, E_FAIL, false, DebugLayer::On, {debug}, 1},
    };
    for (const auto& c : cases) {
        calls.clear();
        answer = c.answer;
        CaptureDeviceRequest request;
        request.debugLayer = c.debugLayer;
        request.lowerLevels = c.lowerLevels;
        request.create = standIn;
        const CaptureDevice made = createCaptureDevice(request);
        EXPECT_EQ(made.device != nullptr, c.device) << c.answer;
        EXPECT_EQ(made.context != nullptr, c.device) << c.answer;
        EXPECT_EQ(made.debugLayer, c.layer) << c.answer;
        ASSERT_EQ(calls.size(), c.flags.size()) << c.answer;
        for (size_t i = 0; i < calls.size(); ++i) {
            EXPECT_EQ(calls[i].flags, c.flags[i]) << c.answer << " call " << i;
            EXPECT_EQ(calls[i].levels, c.levels) << c.answer << " call " << i;
        }
        if (made.device) {
            EXPECT_EQ(made.level, D3D_FEATURE_LEVEL_11_0);
            made.context->Release();
            made.device->Release();
        }
    }
    EXPECT_NE(debugLayerNote(DebugLayer::Missing).find("not installed"), std::string::npos);
}

// The report's feature level, asked of a model runtime that refuses a list with a level it does
// not know (E_INVALIDARG, as D3D11CreateDevice's page says for 11_1 on Direct3D 11.0) and answers
// a device's highest level without making one.
D3D_FEATURE_LEVEL runtimeKnows = D3D_FEATURE_LEVEL_12_1;
D3D_FEATURE_LEVEL adapterHas = D3D_FEATURE_LEVEL_12_1;
std::vector<UINT> listsAsked;  // the length of each list

HRESULT WINAPI modelRuntime(IDXGIAdapter*, D3D_DRIVER_TYPE, HMODULE, UINT, const D3D_FEATURE_LEVEL* levels, UINT count,
                            UINT, ID3D11Device** device, D3D_FEATURE_LEVEL* level, ID3D11DeviceContext** context)
{
    listsAsked.push_back(count);
    if (device || context)
        return E_FAIL;  // the probe makes no device
    for (UINT i = 0; i < count; ++i)
        if (levels[i] > runtimeKnows)
            return E_INVALIDARG;
    for (UINT i = 0; i < count; ++i)
        if (levels[i] <= adapterHas) {
            *level = levels[i];
            return S_FALSE;
        }
    return DXGI_ERROR_UNSUPPORTED;
}

TEST(CaptureDevice, TheHighestLevelIsAskedOfEveryRuntime)
{
    const struct {
        D3D_FEATURE_LEVEL runtime;
        D3D_FEATURE_LEVEL adapter;
        uint32_t highest;
        std::vector<UINT> lists;
    } cases[] = {
        {D3D_FEATURE_LEVEL_12_1, D3D_FEATURE_LEVEL_12_1, 0xc100, {6}},
        {D3D_FEATURE_LEVEL_12_1, D3D_FEATURE_LEVEL_11_0, 0xb000, {6}},
        // Windows 8.1 with a newer GPU: no 12_x in its runtime.
        {D3D_FEATURE_LEVEL_11_1, D3D_FEATURE_LEVEL_12_0, 0xb100, {6, 4}},
        // Direct3D 11.0: not even 11_1.
        {D3D_FEATURE_LEVEL_11_0, D3D_FEATURE_LEVEL_12_0, 0xb000, {6, 4, 3}},
        {D3D_FEATURE_LEVEL_12_1, D3D_FEATURE_LEVEL_10_1, 0xa100, {6}},
        {D3D_FEATURE_LEVEL_12_1, D3D_FEATURE_LEVEL_9_3, 0, {6}},
    };
    for (const auto& c : cases) {
        runtimeKnows = c.runtime;
        adapterHas = c.adapter;
        listsAsked.clear();
        EXPECT_EQ(highestFeatureLevel(modelRuntime), c.highest) << std::hex << c.runtime << " " << c.adapter;
        EXPECT_EQ(listsAsked, c.lists) << std::hex << c.runtime << " " << c.adapter;
    }
}

}  // namespace
}  // namespace Nimbra
