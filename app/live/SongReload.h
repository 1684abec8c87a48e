#pragma once
// demo-sync's live song: notices that the module file was saved (a tracker saved it), reads it
// and hands it to the music, which goes on with it at the same time. A file that cannot be read
// or that the loader refuses is reported, and the old song plays on.
#include "app/live/FileWatch.h"
#include "app/live/LiveEvent.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace Nimbra {

// Plays the module from here on; false, with the reason, when it cannot.
using SongReplacer = std::function<bool(std::vector<unsigned char> module, std::string& why)>;

// Modules above this size are not read: no XM file comes near it.
constexpr uint64_t maxSongFileBytes = uint64_t(64) << 20;

// Reads a whole module file of at most maxSongFileBytes; false, with the reason, when it is
// missing, unreadable, larger or empty.
bool readSongFile(const std::string& path, std::vector<unsigned char>& module, std::string& why);

class SongReload
{
public:
    // Events: SongReloaded, or SongRefused with the reason; the file is looked at every `pollMs`.
    SongReload(std::string path, SongReplacer replace, LiveLog log, uint32_t pollMs = 100);

    void start(uint64_t now);
    void tend(uint64_t now);

private:
    std::string path;
    SongReplacer replace;
    LiveLog log;
    uint32_t pollMs;
    FileWatch watch;
    uint64_t lastPoll = 0;
};

}  // namespace Nimbra
