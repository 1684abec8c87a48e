#include "app/live/SongReload.h"

#include <cstdio>

namespace Nimbra {

bool readSongFile(const std::string& path, std::vector<unsigned char>& module, std::string& why)
{
    module.clear();
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        why = "cannot be opened (deleted?)";
        return false;
    }
    unsigned char buffer[65536];
    size_t n;
    bool tooLarge = false;
    while (!tooLarge && (n = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        tooLarge = module.size() + n > maxSongFileBytes;
        module.insert(module.end(), buffer, buffer + n);
    }
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed)
        why = "cannot be read";
    else if (tooLarge)
        why = "is larger than " + std::to_string(maxSongFileBytes >> 20) + " MiB";
    else if (module.empty())
        why = "is empty";
    else
        return true;
    module.clear();
    return false;
}

SongReload::SongReload(std::string path, SongReplacer replace, std::function<void(const std::string&)> log,
                       uint32_t pollMs)
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
        log("song " + path + " " + why + ", the old one plays on");
        return;
    }
    log("song reloaded from " + path);
}

} // namespace Nimbra
