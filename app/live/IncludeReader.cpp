#include "app/live/IncludeReader.h"

#include "app/BoundedRead.h"
#include "app/live/ShaderSources.h"

#include <algorithm>

namespace Nimbra {

IncludeReader::IncludeReader(const std::string& sourcePath)
    : folder(sourcePath.substr(0, std::min(sourcePath.find_last_of("/\\"), sourcePath.size())))
{
    if (folder == sourcePath)
        folder = ".";  // a bare file name lives in the current folder
}

const std::string* IncludeReader::open(const std::string& name, std::string& why)
{
    auto text = std::make_unique<std::string>();
    if (!readFileUpTo(includedFile(folder, name), maxShaderSourceBytes, *text, why))
        return nullptr;
    texts.push_back(std::move(text));
    return texts.back().get();
}

void IncludeReader::close(const void* data)
{
    texts.erase(std::remove_if(texts.begin(), texts.end(),
                               [data](const std::unique_ptr<std::string>& text) { return text->data() == data; }),
                texts.end());
}

}  // namespace Nimbra
