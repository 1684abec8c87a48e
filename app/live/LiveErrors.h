#pragma once
// The last error of demo-sync's live sources (each program, the song, the editor link) for the
// overlay, taken from the events they report. It stands until the same source succeeds.
#include "app/live/LiveEvent.h"

#include <string>
#include <vector>

namespace Nimbra {

constexpr size_t errorLineLimit = 6;    // the first line, "file:line: message", and five more
constexpr size_t errorLineChars = 160;  // longer lines are cut

class LiveErrors
{
public:
    void take(const LiveEvent& event);

    // The error shown: that of the source that failed last and has not recovered; empty when
    // every source is fine. At most errorLineLimit lines of at most errorLineChars.
    std::vector<std::string> lines() const;

private:
    struct Source {
        EventOwner owner;
        std::string name;  // the program, for the shaders
        bool operator==(const Source& other) const { return owner == other.owner && name == other.name; }
    };
    struct Standing {
        Source source;
        std::vector<std::string> lines;
    };
    struct Messages {
        Source source;
        std::vector<std::string> lines;  // a compile job's messages, until its outcome
    };
    void set(const Source& source, std::vector<std::string> lines);
    void clear(const Source& source);
    std::vector<std::string> takeMessages(const Source& source);

    std::vector<Standing> standing;  // oldest first
    std::vector<Messages> pending;
};

}  // namespace Nimbra
