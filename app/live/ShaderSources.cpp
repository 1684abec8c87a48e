#include "app/live/ShaderSources.h"

#include "app/FilePaths.h"
#include "app/BoundedRead.h"
#include "app/live/TextLines.h"

#include <cstdio>
#include <cstring>

namespace Nimbra {

bool readShaderSource(const std::string& path, std::string& text, std::string& why)
{
    if (!readFileUpTo(path, maxShaderSourceBytes, text, why))
        return false;
    if (text.empty())
        why = "is empty";
    else if (std::memchr(text.data(), '\0', text.size()))
        why = "is not text (it holds a NUL byte)";
    else
        return true;
    text.clear();
    return false;
}

std::vector<std::string> includedNames(const std::string& text)
{
    std::vector<std::string> names;
    for (const std::string& line : textLines(text)) {
        size_t i = line.find_first_not_of(" \t");
        if (i == std::string::npos || line[i] != '#')
            continue;
        i = line.find_first_not_of(" \t", i + 1);
        if (i == std::string::npos || line.compare(i, 7, "include") != 0)
            continue;
        const size_t open = line.find('"', i + 7);
        const size_t close = open == std::string::npos ? open : line.find('"', open + 1);
        if (close != std::string::npos && close > open + 1)
            names.push_back(line.substr(open + 1, close - open - 1));
    }
    return names;
}

std::string includedFile(const std::string& folder, const std::string& name)
{
    return folder + "/" + name;
}

std::vector<std::string> programFiles(const std::string& folder, const std::string& program)
{
    std::vector<std::string> files = {folder + "/" + program + ".hlsl"};
    // Breadth first over the includes; the list itself marks what was visited.
    for (size_t next = 0; next < files.size(); ++next) {
        std::string text, why;
        if (!readShaderSource(files[next], text, why))
            continue;
        for (const std::string& name : includedNames(text)) {
            const std::string path = includedFile(folder, name);
            bool known = false;
            for (const std::string& file : files)
                known = known || file == path;
            FILE* exists = known ? nullptr : openFile(path.c_str(), "rb");
            if (exists) {
                std::fclose(exists);
                files.push_back(path);
            }
        }
    }
    return files;
}

}  // namespace Nimbra
