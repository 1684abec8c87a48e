#include "app/FilePaths.h"

#ifdef _WIN32
#include <windows.h>

#include <climits>
#include <io.h>
#else
#include <unistd.h>
#endif

namespace Nimbra {

#ifdef _WIN32

namespace {

// The one code page of every name inside the programs.
constexpr UINT namesCodePage = CP_UTF8;

}  // namespace

bool wideFromUtf8(const std::string& text, std::wstring& wide)
{
    wide.clear();
    if (text.empty())
        return true;
    if (text.size() > size_t(INT_MAX))
        return false;
    const int size = int(text.size());
    const int n = MultiByteToWideChar(namesCodePage, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
    if (n <= 0)
        return false;
    wide.resize(size_t(n));
    if (MultiByteToWideChar(namesCodePage, MB_ERR_INVALID_CHARS, text.data(), size, &wide[0], n) == n)
        return true;
    wide.clear();
    return false;
}

bool utf8FromWide(const std::wstring& wide, std::string& text)
{
    text.clear();
    if (wide.empty())
        return true;
    if (wide.size() > size_t(INT_MAX))
        return false;
    const int size = int(wide.size());
    const int n =
        WideCharToMultiByte(namesCodePage, WC_ERR_INVALID_CHARS, wide.data(), size, nullptr, 0, nullptr, nullptr);
    if (n <= 0)
        return false;
    text.resize(size_t(n));
    if (WideCharToMultiByte(namesCodePage, WC_ERR_INVALID_CHARS, wide.data(), size, &text[0], n, nullptr, nullptr) == n)
        return true;
    text.clear();
    return false;
}

std::FILE* openFile(const char* utf8Path, const char* mode)
{
    std::wstring widePath, wideMode;
    if (!wideFromUtf8(utf8Path, widePath) || widePath.empty() || !wideFromUtf8(mode, wideMode))
        return nullptr;
    return _wfopen(widePath.c_str(), wideMode.c_str());
}

std::filesystem::path pathFromUtf8(const std::string& utf8Path)
{
    std::wstring wide;
    if (!wideFromUtf8(utf8Path, wide))
        return std::filesystem::path();
    return std::filesystem::path(std::move(wide));
}

std::string utf8FromPath(const std::filesystem::path& path)
{
    std::string text;
    utf8FromWide(path.native(), text);
    return text;
}

void writeText(std::FILE* stream, const std::string& text)
{
    const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    DWORD mode = 0;
    std::wstring wide;
    if (handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) && wideFromUtf8(text, wide)) {
        std::fflush(stream);
        DWORD written = 0;
        WriteConsoleW(handle, wide.data(), DWORD(wide.size()), &written, nullptr);
        return;
    }
    std::fwrite(text.data(), 1, text.size(), stream);
}

#else

std::FILE* openFile(const char* utf8Path, const char* mode)
{
    return std::fopen(utf8Path, mode);
}

std::filesystem::path pathFromUtf8(const std::string& utf8Path)
{
    return std::filesystem::path(utf8Path);
}

std::string utf8FromPath(const std::filesystem::path& path)
{
    return path.native();
}

void writeText(std::FILE* stream, const std::string& text)
{
    std::fwrite(text.data(), 1, text.size(), stream);
}

#endif

namespace {

bool flushToDisk(std::FILE* file)
{
    if (std::fflush(file) != 0)
        return false;
#ifdef _WIN32
    return _commit(_fileno(file)) == 0;
#else
    return fsync(fileno(file)) == 0;
#endif
}

// `from` lies beside `to`, on its volume: the move is a rename, never a copy (no MOVEFILE_COPY_ALLOWED, which would
// copy and delete in two steps).
bool renameOver(const std::string& from, const std::string& to)
{
#ifdef _WIN32
    std::wstring wideFrom, wideTo;
    return wideFromUtf8(from, wideFrom) && wideFromUtf8(to, wideTo) &&
           MoveFileExW(wideFrom.c_str(), wideTo.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
    return std::rename(from.c_str(), to.c_str()) == 0;
#endif
}

}  // namespace

bool writeWholeFile(const std::string& utf8Path, const std::string& bytes, std::string& error)
{
    if (utf8Path.empty()) {
        error = "no file name";
        return false;
    }
    const std::string partial = utf8Path + ".part";
    std::FILE* file = openFile(partial.c_str(), "wb");
    if (!file) {
        error = "cannot create " + partial;
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() && flushToDisk(file);
    const bool closed = std::fclose(file) == 0;
    if (written && closed && renameOver(partial, utf8Path))
        return true;
    error = written && closed ? "cannot put " + partial + " in the file's place" : "cannot write " + partial;
    std::error_code ignored;
    std::filesystem::remove(pathFromUtf8(partial), ignored);
    return false;
}

}  // namespace Nimbra
