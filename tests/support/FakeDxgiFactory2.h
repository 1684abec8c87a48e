#pragma once
// A DXGI factory as a test lays it out: adapters with their outputs (the report's listing), and
// swap chains made or refused as a given system would (FLIP_DISCARD refused before Windows 10).
#include <dxgi1_2.h>

#include <vector>

#include "tests/support/FakeSwapChain.h"
#include "tests/support/StackDxgiObject.h"

namespace Nimbra {

class FakeDxgiOutput : public StackDxgiObject<IDXGIOutput>
{
public:
    explicit FakeDxgiOutput(const DXGI_OUTPUT_DESC& desc) : desc(desc) {}
    HRESULT STDMETHODCALLTYPE GetDesc(DXGI_OUTPUT_DESC* out) override
    {
        *out = desc;
        return S_OK;
    }
    DXGI_OUTPUT_DESC desc;

    HRESULT STDMETHODCALLTYPE GetDisplayModeList(DXGI_FORMAT, UINT, UINT*, DXGI_MODE_DESC*) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE FindClosestMatchingMode(const DXGI_MODE_DESC*, DXGI_MODE_DESC*, IUnknown*) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE WaitForVBlank() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE TakeOwnership(IUnknown*, BOOL) override { return E_NOTIMPL; }
    void STDMETHODCALLTYPE ReleaseOwnership() override {}
    HRESULT STDMETHODCALLTYPE GetGammaControlCapabilities(DXGI_GAMMA_CONTROL_CAPABILITIES*) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetGammaControl(const DXGI_GAMMA_CONTROL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetGammaControl(DXGI_GAMMA_CONTROL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetDisplaySurface(IDXGISurface*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDisplaySurfaceData(IDXGISurface*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetFrameStatistics(DXGI_FRAME_STATISTICS*) override { return E_NOTIMPL; }
};

class FakeDxgiAdapter : public StackDxgiObject<IDXGIAdapter1>
{
public:
    FakeDxgiAdapter(const DXGI_ADAPTER_DESC1& desc, std::vector<IDXGIOutput*> outputs) : desc(desc), outputs(outputs) {}
    HRESULT STDMETHODCALLTYPE EnumOutputs(UINT index, IDXGIOutput** output) override
    {
        *output = index < outputs.size() ? outputs[index] : nullptr;
        return *output ? S_OK : DXGI_ERROR_NOT_FOUND;
    }
    HRESULT STDMETHODCALLTYPE GetDesc1(DXGI_ADAPTER_DESC1* out) override
    {
        *out = desc;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDesc(DXGI_ADAPTER_DESC* out) override
    {
        *out = {};
        static_assert(sizeof out->Description == sizeof desc.Description, "the same name field");
        for (size_t i = 0; i < 128; ++i)
            out->Description[i] = desc.Description[i];
        out->VendorId = desc.VendorId;
        out->DeviceId = desc.DeviceId;
        out->DedicatedVideoMemory = desc.DedicatedVideoMemory;
        out->SharedSystemMemory = desc.SharedSystemMemory;
        out->AdapterLuid = desc.AdapterLuid;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE CheckInterfaceSupport(REFGUID, LARGE_INTEGER*) override { return E_NOTIMPL; }
    DXGI_ADAPTER_DESC1 desc;
    std::vector<IDXGIOutput*> outputs;
};

class FakeDxgiFactory2 : public StackDxgiObject<IDXGIFactory2>
{
public:
    // A swap chain asked for, in order.
    struct Request {
        bool composition;  // CreateSwapChainForComposition, else CreateSwapChainForHwnd
        IUnknown* device;
        DXGI_SWAP_EFFECT effect;
    };
    std::vector<Request> requests;
    bool knowsFlipDiscard = true;  // false: Windows 8.1
    std::vector<IDXGIAdapter1*> adapters;
    FakeSwapChain swapChain{{}};  // what every request that succeeds gets

    HRESULT STDMETHODCALLTYPE CreateSwapChainForComposition(IUnknown* device, const DXGI_SWAP_CHAIN_DESC1* desc,
                                                            IDXGIOutput*, IDXGISwapChain1** made) override
    {
        return request(true, device, desc, made);
    }
    HRESULT STDMETHODCALLTYPE CreateSwapChainForHwnd(IUnknown* device, HWND, const DXGI_SWAP_CHAIN_DESC1* desc,
                                                     const DXGI_SWAP_CHAIN_FULLSCREEN_DESC*, IDXGIOutput*,
                                                     IDXGISwapChain1** made) override
    {
        return request(false, device, desc, made);
    }
    HRESULT STDMETHODCALLTYPE EnumAdapters1(UINT index, IDXGIAdapter1** adapter) override
    {
        *adapter = index < adapters.size() ? adapters[index] : nullptr;
        return *adapter ? S_OK : DXGI_ERROR_NOT_FOUND;
    }
    HRESULT STDMETHODCALLTYPE EnumAdapters(UINT index, IDXGIAdapter** adapter) override
    {
        *adapter = index < adapters.size() ? adapters[index] : nullptr;
        return *adapter ? S_OK : DXGI_ERROR_NOT_FOUND;
    }

    HRESULT STDMETHODCALLTYPE MakeWindowAssociation(HWND, UINT) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetWindowAssociation(HWND*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreateSwapChain(IUnknown*, DXGI_SWAP_CHAIN_DESC*, IDXGISwapChain**) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE CreateSoftwareAdapter(HMODULE, IDXGIAdapter**) override { return E_NOTIMPL; }
    BOOL STDMETHODCALLTYPE IsCurrent() override { return TRUE; }
    BOOL STDMETHODCALLTYPE IsWindowedStereoEnabled() override { return FALSE; }
    HRESULT STDMETHODCALLTYPE CreateSwapChainForCoreWindow(IUnknown*, IUnknown*, const DXGI_SWAP_CHAIN_DESC1*,
                                                           IDXGIOutput*, IDXGISwapChain1**) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetSharedResourceAdapterLuid(HANDLE, LUID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RegisterStereoStatusWindow(HWND, UINT, DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RegisterStereoStatusEvent(HANDLE, DWORD*) override { return E_NOTIMPL; }
    void STDMETHODCALLTYPE UnregisterStereoStatus(DWORD) override {}
    HRESULT STDMETHODCALLTYPE RegisterOcclusionStatusWindow(HWND, UINT, DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RegisterOcclusionStatusEvent(HANDLE, DWORD*) override { return E_NOTIMPL; }
    void STDMETHODCALLTYPE UnregisterOcclusionStatus(DWORD) override {}

private:
    HRESULT request(bool composition, IUnknown* device, const DXGI_SWAP_CHAIN_DESC1* desc, IDXGISwapChain1** made)
    {
        requests.push_back({composition, device, desc->SwapEffect});
        *made = nullptr;
        if (desc->SwapEffect == DXGI_SWAP_EFFECT_FLIP_DISCARD && !knowsFlipDiscard)
            return DXGI_ERROR_INVALID_CALL;
        *made = &swapChain;
        return S_OK;
    }
};

}  // namespace Nimbra
