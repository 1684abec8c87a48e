#pragma once
// The system's d3dcompiler_47.dll (on every Windows since 8.1), loaded when a function of it is
// first needed, so that demo-sync runs where it is missing and only live shaders are lost.
#include <windows.h>

namespace Nimbra {
namespace Gfx {

inline HMODULE compilerLibrary()
{
    static const HMODULE library = LoadLibraryW(L"d3dcompiler_47.dll");
    return library;
}

// `name` (D3DCompile, D3DReflect) from d3dcompiler_47.dll as a `Function`; null without it.
template <class Function>
Function compilerFunction(const char* name)
{
    const HMODULE library = compilerLibrary();
    return library ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name))) : nullptr;
}

}  // namespace Gfx
}  // namespace Nimbra
