#include "app/live/LiveErrors.h"

#include <algorithm>

namespace Nimbra {
namespace {

bool startsWith(const std::string& text, const std::string& head)
{
    return text.compare(0, head.size(), head) == 0;
}

bool endsWith(const std::string& text, const std::string& tail)
{
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// "file:line: message" with the file's folders left out: the overlay has room for the message.
std::string withoutFolders(const std::string& line)
{
    for (size_t colon = line.find(':'); colon != std::string::npos; colon = line.find(':', colon + 1)) {
        size_t end = colon + 1;
        while (end < line.size() && line[end] >= '0' && line[end] <= '9')
            ++end;
        if (end > colon + 1 && line.compare(end, 2, ": ") == 0) {
            const size_t slash = line.find_last_of("/\\", colon);
            return slash == std::string::npos ? line : line.substr(slash + 1);
        }
    }
    return line;
}

// At most errorLineChars bytes, never ending inside a UTF-8 sequence.
std::string cut(const std::string& line)
{
    if (line.size() <= errorLineChars)
        return line;
    size_t end = errorLineChars;
    while (end > 0 && (static_cast<unsigned char>(line[end]) & 0xC0) == 0x80)
        --end;
    return line.substr(0, end);
}

}  // namespace

void LiveErrors::compilerMessage(const std::string& line)
{
    pending.push_back(withoutFolders(line));
}

void LiveErrors::logLine(const std::string& line)
{
    if (startsWith(line, "shader ")) {
        const size_t end = line.find_first_of(" :", 7);
        if (end == std::string::npos)
            return;
        const std::string source = line.substr(0, end);
        std::vector<std::string> messages;
        messages.swap(pending);
        if (line.compare(end, 10, " reloaded ") == 0)
            clear(source);
        else if (line.compare(end, 20, ": failed to compile,") == 0 && !messages.empty())
            set(source, std::move(messages));
        else
            set(source, {line});
    } else if (startsWith(line, "song ")) {
        if (startsWith(line, "song reloaded from "))
            clear("song");
        else if (endsWith(line, ", the old one plays on"))
            set("song", {line});
    } else if (line == "connected") {
        clear("link");
    } else if (startsWith(line, "fault ") || startsWith(line, "closed ") || startsWith(line, "timeout ")) {
        set("link", {"editor link " + line});
    }
}

void LiveErrors::set(const std::string& source, std::vector<std::string> lines)
{
    clear(source);
    if (lines.size() > errorLineLimit)
        lines.resize(errorLineLimit);
    for (std::string& line : lines)
        line = cut(line);
    standing.push_back({source, std::move(lines)});
}

void LiveErrors::clear(const std::string& source)
{
    standing.erase(std::remove_if(standing.begin(), standing.end(),
                                  [&](const Standing& s) { return s.source == source; }),
                   standing.end());
}

std::vector<std::string> LiveErrors::lines() const
{
    return standing.empty() ? std::vector<std::string>() : standing.back().lines;
}

}  // namespace Nimbra
