// rocket-check FILE...   reads sync editor files as the content would; prints FILE:LINE: error: REASON for each
// file's first fault and for a track two files set, FILE:LINE: warning: REASON where the demo will play otherwise
// than the editor showed (muted track, other tempo or rows per beat). Exit 0 if all read, 1 otherwise, 2 for usage.

#include "app/ContentEdits.h"
#include "tools/common/ReadFile.h"

#include <cstdio>
#include <string>
#include <vector>

using namespace Nimbra;

namespace {

struct Seen {
    std::string name;
    std::string file;
    uint32_t line;
};

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: rocket-check FILE.rocket...\n");
        return 2;
    }
    bool ok = true;
    std::vector<Seen> seen;
    for (int i = 1; i < argc; ++i) {
        const char* path = argv[i];
        std::vector<uint8_t> bytes;
        if (!readFile(path, bytes)) {
            std::fprintf(stderr, "%s: error: cannot read the file\n", path);
            ok = false;
            continue;
        }
        Sync::RocketDocument document;
        Sync::FileError error;
        if (!readContentEdits(reinterpret_cast<const char*>(bytes.data()), bytes.size(), document, error)) {
            std::fprintf(stderr, "%s:%u: error: %s\n", path, error.line, error.message.c_str());
            ok = false;
            continue;
        }
        for (const Sync::FileError& warning : contentEditWarnings(document))
            std::fprintf(stderr, "%s:%u: warning: %s\n", path, warning.line, warning.message.c_str());
        for (const Sync::RocketTrack& track : document.tracks) {
            for (const Seen& other : seen) {
                if (other.name == track.name) {
                    std::fprintf(stderr, "%s:%u: error: the track \"%s\" is also in %s:%u\n", path, track.line,
                                 track.name.c_str(), other.file.c_str(), other.line);
                    ok = false;
                }
            }
            seen.push_back(Seen{track.name, path, track.line});
        }
    }
    return ok ? 0 : 1;
}
