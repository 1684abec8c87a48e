#include "app/BoundedRead.h"

#include "app/FilePaths.h"

#include <cstdio>

namespace Nimbra {

bool readFileUpTo(const std::string& path, uint64_t limit, std::string& bytes, std::string& why)
{
    bytes.clear();
    FILE* file = openFile(path.c_str(), "rb");
    if (!file) {
        why = "cannot be opened (deleted?)";
        return false;
    }
    char buffer[65536];
    size_t n;
    bool tooLarge = false;
    while (!tooLarge && (n = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        tooLarge = bytes.size() + n > limit;
        if (!tooLarge)
            bytes.append(buffer, n);
    }
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed)
        why = "cannot be read";
    else if (tooLarge)
        why = "is larger than " + std::to_string(limit) + " bytes";
    else
        return true;
    bytes.clear();
    return false;
}

}  // namespace Nimbra
