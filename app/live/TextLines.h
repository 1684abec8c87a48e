#pragma once

#include <string>
#include <vector>

namespace Nimbra {

// The lines of a text file or a compiler's output, without their ends ('\n' or "\r\n").
inline std::vector<std::string> textLines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos)
            end = text.size();
        size_t last = end;
        if (last > at && text[last - 1] == '\r')
            --last;
        lines.push_back(text.substr(at, last - at));
        at = end + 1;
    }
    return lines;
}

}  // namespace Nimbra
