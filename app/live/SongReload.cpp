#include "app/live/SongReload.h"

#include "app/BoundedRead.h"

namespace Nimbra {

bool readSongFile(const std::string& path, std::vector<unsigned char>& module, std::string& why)
{
    module.clear();
    std::string bytes;
    if (!readFileUpTo(path, maxSongFileBytes, bytes, why))
        return false;
    if (bytes.empty()) {
        why = "is empty";
        return false;
    }
    module.assign(bytes.begin(), bytes.end());
    return true;
}

SongReload::SongReload(std::string path, SongReplacer replace, LiveLog log, uint32_t pollMs)
    : path(std::move(path)), replace(std::move(replace)), log(std::move(log)), pollMs(pollMs)
{
}

void SongReload::start(uint64_t now)
{
    watch.watch(path);
    lastPoll = now;
}

void SongReload::tend(uint64_t now)
{
    if (now - lastPoll < pollMs)
        return;
    lastPoll = now;
    if (watch.poll().empty())
        return;
    std::vector<unsigned char> module;
    std::string why;
    if (!readSongFile(path, module, why) || !replace(std::move(module), why)) {
        log(fileEvent(LiveEventKind::SongRefused, path, why));
        return;
    }
    log(fileEvent(LiveEventKind::SongReloaded, path));
}

}  // namespace Nimbra
