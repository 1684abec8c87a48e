#include "app/live/CompilerMessages.h"
#include "app/live/TextLines.h"

#include <cctype>

namespace Nimbra {
namespace {

// Digits at `at`; their end, or `at` itself when there are none.
size_t digitsEnd(const std::string& line, size_t at)
{
    while (at < line.size() && std::isdigit(static_cast<unsigned char>(line[at])))
        ++at;
    return at;
}

// The text after an optional "error X3000: ", "warning X3206: " or "E5017: " code.
std::string withoutCode(const std::string& rest)
{
    size_t at = rest.find_first_not_of(' ');
    if (at == std::string::npos)
        return "";
    for (const char* word : {"error ", "warning "})
        if (rest.compare(at, std::char_traits<char>::length(word), word) == 0)
            at += std::char_traits<char>::length(word);
    const size_t colon = rest.find(": ", at);
    if (colon != std::string::npos && colon > at) {
        bool code = std::isalpha(static_cast<unsigned char>(rest[at])) != 0;
        for (size_t i = at + 1; i < colon && code; ++i)
            code = std::isdigit(static_cast<unsigned char>(rest[i])) != 0;
        if (code && colon > at + 1)
            at = colon + 2;
    }
    return rest.substr(at);
}

uint32_t lineNumber(const std::string& digits)
{
    uint64_t number = 0;
    for (char c : digits)
        number = number < 0xFFFFFFFFu ? number * 10 + uint64_t(c - '0') : number;
    return number < 0xFFFFFFFFu ? uint32_t(number) : 0xFFFFFFFFu;
}

// The file, line and message when `line` names a place in either form; no file otherwise.
CompilerMessage placedMessage(const std::string& line)
{
    // file(line,column...): ...
    const size_t paren = line.find('(');
    if (paren != std::string::npos && paren > 0) {
        const size_t end = digitsEnd(line, paren + 1);
        const size_t close = line.find("):", end);
        if (end > paren + 1 && close != std::string::npos)
            return {line.substr(0, paren), lineNumber(line.substr(paren + 1, end - paren - 1)),
                    withoutCode(line.substr(close + 2))};
    }
    // file:line:column: ...  (a drive letter's colon is part of the file)
    for (size_t colon = line.find(':', 1); colon != std::string::npos; colon = line.find(':', colon + 1)) {
        const size_t end = digitsEnd(line, colon + 1);
        if (end == colon + 1 || end >= line.size() || line[end] != ':')
            continue;
        size_t rest = end + 1;
        const size_t column = digitsEnd(line, rest);
        if (column > rest && column < line.size() && line[column] == ':')
            rest = column + 1;
        return {line.substr(0, colon), lineNumber(line.substr(colon + 1, end - colon - 1)),
                withoutCode(line.substr(rest))};
    }
    return {};
}

}  // namespace

std::vector<CompilerMessage> compilerMessages(const std::string& output)
{
    std::vector<CompilerMessage> messages;
    for (std::string line : textLines(output)) {
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
        if (line.find_first_not_of(" \t") == std::string::npos)
            continue;
        CompilerMessage placed = placedMessage(line);
        if (placed.file.empty())
            placed = {"", 0, line};
        messages.push_back(std::move(placed));
    }
    return messages;
}

}  // namespace Nimbra
