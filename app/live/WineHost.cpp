#include "app/live/WineHost.h"

#include "app/FilePaths.h"

#include <windows.h>

namespace Nimbra {

bool runningUnderWine()
{
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

// GetFullPathNameW reads the process's current folder, which is no thread's own: the path is made
// whole against `base` first.
std::string unixPathUnderWine(const std::string& path, const std::filesystem::path& base)
{
    using UnixFileName = char*(CDECL*)(LPCWSTR);
    static const UnixFileName unixFileName = reinterpret_cast<UnixFileName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!unixFileName || path.empty() || path[0] == '/')
        return path;
    const std::wstring wide = (base / pathFromUtf8(path)).wstring();
    wchar_t full[MAX_PATH * 4];
    const DWORD length = GetFullPathNameW(wide.c_str(), DWORD(sizeof full / sizeof full[0]), full, nullptr);
    if (length == 0 || length >= sizeof full / sizeof full[0])
        return path;  // failed, or the buffer is too small (the length then counts the terminator)
    char* unix = unixFileName(full);
    if (!unix)
        return path;
    std::string result = unix;
    HeapFree(GetProcessHeap(), 0, unix);
    return result;
}

}  // namespace Nimbra
