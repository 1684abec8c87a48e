#pragma once
// The files a live program includes, read for a compiler that asks the program for them: each is
// read by its UTF-8 path through FilePaths (includedFile), so a folder of any name works, and its
// text stays where it is until it is closed, as a compiler's include callback needs.
#include <memory>
#include <string>
#include <vector>

namespace Nimbra {

class IncludeReader
{
public:
    // The folder is that of `sourcePath`, the program's source.
    explicit IncludeReader(const std::string& sourcePath);

    // The text of the file `#include "NAME"` reads; null, with the reason in `why`, when it cannot
    // be read or is larger than a source may be. An empty file is an empty text.
    const std::string* open(const std::string& name, std::string& why);
    // Lets go of a text open() returned, named by its data; any other pointer changes nothing.
    void close(const void* data);
    size_t openTexts() const { return texts.size(); }

private:
    std::string folder;
    std::vector<std::unique_ptr<std::string>> texts;
};

}  // namespace Nimbra
