#include "app/live/LiveErrors.h"

#include <algorithm>

namespace Nimbra {
namespace {

// The file without its folders: the overlay has room for the message.
std::string withoutFolders(const std::string& file)
{
    const size_t slash = file.find_last_of("/\\");
    return slash == std::string::npos ? file : file.substr(slash + 1);
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

void LiveErrors::take(const LiveEvent& event)
{
    const LiveEventWording& wording = liveEventWording(event.kind);
    const Source source = {wording.owner, event.source};
    if (event.kind == LiveEventKind::CompilerMessage || event.kind == LiveEventKind::CompilerNote) {
        const std::string line =
            event.kind == LiveEventKind::CompilerNote
                ? event.text
                : withoutFolders(event.file) + ":" + std::to_string(event.line) + ": " + event.text;
        auto found =
            std::find_if(pending.begin(), pending.end(), [&](const Messages& m) { return m.source == source; });
        if (found == pending.end())
            found = pending.insert(pending.end(), {source, {}});
        found->lines.push_back(line);
        return;
    }
    // A compile job's messages belong to its outcome, the next event of its program.
    std::vector<std::string> messages = takeMessages(source);
    if (wording.effect == ErrorEffect::Clears) {
        clear(source);
    } else if (wording.effect == ErrorEffect::Sets) {
        if (event.kind == LiveEventKind::ShaderFailed && !messages.empty())
            set(source, std::move(messages));
        else
            set(source, {(wording.owner == EventOwner::Link ? "editor link " : "") + liveEventText(event)});
    }
}

std::vector<std::string> LiveErrors::takeMessages(const Source& source)
{
    std::vector<std::string> lines;
    const auto found =
        std::find_if(pending.begin(), pending.end(), [&](const Messages& m) { return m.source == source; });
    if (found != pending.end()) {
        lines.swap(found->lines);
        pending.erase(found);
    }
    return lines;
}

void LiveErrors::set(const Source& source, std::vector<std::string> lines)
{
    clear(source);
    if (lines.size() > errorLineLimit)
        lines.resize(errorLineLimit);
    for (std::string& line : lines)
        line = cut(line);
    standing.push_back({source, std::move(lines)});
}

void LiveErrors::clear(const Source& source)
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
