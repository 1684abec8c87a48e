#pragma once
// A DXGI factory that only records its window associations.
#include <dxgi.h>

#include "tests/support/StackDxgiObject.h"

namespace Nimbra {

class FakeDxgiFactory : public StackDxgiObject<IDXGIFactory>
{
public:
    HRESULT STDMETHODCALLTYPE MakeWindowAssociation(HWND window, UINT flags) override
    {
        ++associations;
        associatedWindow = window;
        associationFlags = flags;
        return S_OK;
    }

    int associations = 0;
    HWND associatedWindow = nullptr;
    UINT associationFlags = 0;

    // Known as the interfaces it has, so that the code under test can ask for them.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        const bool known = iid == __uuidof(IUnknown) || iid == __uuidof(IDXGIObject) || iid == __uuidof(IDXGIFactory);
        *object = known ? this : nullptr;
        return known ? S_OK : E_NOINTERFACE;
    }

    HRESULT STDMETHODCALLTYPE EnumAdapters(UINT, IDXGIAdapter**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetWindowAssociation(HWND*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreateSwapChain(IUnknown*, DXGI_SWAP_CHAIN_DESC*, IDXGISwapChain**) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE CreateSoftwareAdapter(HMODULE, IDXGIAdapter**) override { return E_NOTIMPL; }
};

}  // namespace Nimbra
