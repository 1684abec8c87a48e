#pragma once
// The last error of demo-sync's live sources (programs, song, editor link) for the overlay, read from the log lines
// and compiler messages they already report. It stands until the same source succeeds.
#include <string>
#include <vector>

namespace Nimbra {

constexpr size_t errorLineLimit = 6;    // the first line, "file:line: message", and five more
constexpr size_t errorLineChars = 160;  // longer lines are cut

class LiveErrors
{
public:
    // A compiler's message, "file:line: message"; kept until the program's outcome is logged.
    void compilerMessage(const std::string& line);
    // One event line of the shaders, the song or the editor's link.
    void logLine(const std::string& line);

    // The error shown: that of the source that failed last and has not recovered; empty when
    // every source is fine. At most errorLineLimit lines of at most errorLineChars.
    std::vector<std::string> lines() const;

private:
    struct Standing {
        std::string source;  // "shader NAME", "song" or "link"
        std::vector<std::string> lines;
    };
    void set(const std::string& source, std::vector<std::string> lines);
    void clear(const std::string& source);

    std::vector<Standing> standing;    // oldest first
    std::vector<std::string> pending;  // compiler messages of the job being finished
};

}  // namespace Nimbra
