#pragma once
// Whole-file reading for the host tools.
#include <cstdint>
#include <cstdio>
#include <vector>

namespace Nimbra {

// Appends the bytes of the file at `path` to `out`; false when it cannot be opened or read.
inline bool readFile(const char* path, std::vector<uint8_t>& out)
{
    FILE* f = std::fopen(path, "rb");
    if (!f)
        return false;
    uint8_t buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        out.insert(out.end(), buffer, buffer + n);
    const bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}

}  // namespace Nimbra
