#pragma once
// demo-sync's command line:
//   demo-sync [--width W] [--height H] [--host ADDRESS] [--port N] [--save FILE] [--dump FILE]
//             [--verbose] [--retry-ms MS] [--greeting-timeout-ms MS]
#include "app/SyncClock.h"

#include <cstdint>
#include <string>

namespace Nimbra {

struct SyncOptions {
    int32_t width = 1280;
    int32_t height = 720;
    std::string host = "127.0.0.1";
    uint16_t port = 1338;
    bool verbose = false;  // every row report goes to the log too
    SyncClockOptions clock;
};

// Fills `options` from argv; on a malformed or unknown argument returns false and describes the
// problem in `error`.
bool parseSyncOptions(int argc, const char* const* argv, SyncOptions& options, std::string& error);

extern const char syncUsage[];

} // namespace Nimbra
