#pragma once
// What every stand-in DXGI object of the tests has alike: it lives on the test's stack, so its
// references are not counted, it knows no interface but its own and holds no private data.
// Each stand-in derives from it and answers the calls the code under test makes.
#include <dxgi.h>

namespace Nimbra {

template <class Interface>
class StackDxgiObject : public Interface
{
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override
    {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE SetPrivateData(REFGUID, UINT, const void*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetPrivateDataInterface(REFGUID, const IUnknown*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetPrivateData(REFGUID, UINT*, void*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetParent(REFIID, void** object) override
    {
        *object = nullptr;
        return E_NOTIMPL;
    }
};

}  // namespace Nimbra
