// xmrender IN.xm OUT.wav [--seconds S] [--loops N] [--max-cpu-ratio R]
//                                                     renders to 32-bit float stereo WAV
// xmrender --info IN.xm                               prints the module's header figures
//
// By default rendering stops where the song comes round to a row already played (the output turns silent with one
// loop allowed) or after 600 s. Frames are streamed to the file, so memory does not grow with the song.
// --max-cpu-ratio R exits 3 with no output file once CPU time exceeds R s per output second: a guard against legal
// modules that are merely slow.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

#include "audio/ModulePlayer.h"
#include "audio/Pitch.h"
#include "tools/common/ReadFile.h"

using namespace Nimbra;

namespace {

const uint32_t sampleRate = 44100;
const double maxSeconds = 600.0;
const uint32_t chunkFrames = 8192;  // frames written to the file at a time
const uint64_t checkFrames = 1024;  // frames between two looks at the CPU time
const uint32_t wavHeaderBytes = 44;
const int exitCpuLimit = 3;

const char* headerProblem(int code)
{
    switch (code) {
    case HeaderBadSignature: return "not an XM module (signature \"Extended Module: \" missing)";
    case HeaderBadMarker: return "not an XM module (marker byte 0x1A missing)";
    case HeaderBadVersion: return "unsupported XM version (only 0x0104 is played)";
    case HeaderTooShort: return "file too short for an XM header";
    default: return "invalid header";
    }
}

// Loads and creates the player, explaining any failure on stderr.
ModulePlayer* openModule(const char* path)
{
    std::vector<uint8_t> data;
    if (!readFile(path, data)) {
        fprintf(stderr, "xmrender: cannot read %s\n", path);
        return nullptr;
    }
    int header = checkModuleHeader(data.data(), data.size());
    if (header != HeaderValid) {
        fprintf(stderr, "xmrender: %s: %s\n", path, headerProblem(header));
        return nullptr;
    }
    ModulePlayer* player = nullptr;
    if (createModulePlayer(&player, data.data(), data.size(), sampleRate) != CreatePlayerOk) {
        fprintf(stderr, "xmrender: %s: refused, the player would need %llu bytes (limit %llu)\n", path,
                (unsigned long long)computeModulePlayerSize(data.data(), data.size()),
                (unsigned long long)maxModulePlayerSize);
        return nullptr;
    }
    return player;
}

int printInfo(const char* path)
{
    ModulePlayer* player = openModule(path);
    if (!player)
        return 1;
    printf("channels %u\n", player->channelCount);
    printf("patterns %u\n", player->patternCount);
    printf("instruments %u\n", player->instrumentCount);
    printf("length %u\n", player->songLength);
    printf("restart %u\n", player->restartPosition);
    printf("frequency %s\n", player->frequencyMode == LinearFrequencies ? "linear" : "amiga");
    printf("speed %u\n", player->speed);
    printf("tempo %u\n", player->bpm);
    printf("blockSize %llu\n", (unsigned long long)player->blockSize);
    destroyModulePlayer(player);
    return 0;
}

bool silenced(const ModulePlayer& p)
{
    return p.maxLoops != 0 && p.rowVisits >= p.maxLoops;
}

void put16(uint8_t* at, uint16_t v)
{
    at[0] = uint8_t(v), at[1] = uint8_t(v >> 8);
}
void put32(uint8_t* at, uint32_t v)
{
    put16(at, uint16_t(v)), put16(at + 2, uint16_t(v >> 16));
}

// The 44-byte header of a 32-bit float stereo WAV file holding `frames` frames.
void wavHeader(uint8_t* h, uint64_t frames)
{
    uint32_t dataBytes = uint32_t(frames * 8);
    memcpy(h, "RIFF", 4);
    put32(h + 4, 36 + dataBytes);
    memcpy(h + 8, "WAVEfmt ", 8);
    put32(h + 16, 16);
    put16(h + 20, 3);  // IEEE float
    put16(h + 22, 2);
    put32(h + 24, sampleRate);
    put32(h + 28, sampleRate * 8);
    put16(h + 32, 8);
    put16(h + 34, 32);
    memcpy(h + 36, "data", 4);
    put32(h + 40, dataBytes);
}

enum class RenderEnd { Done, WriteFailed, CpuLimit };

struct RenderResult {
    RenderEnd end;
    uint64_t frames;
    double cpuSeconds;
};

// Renders into the open file until the limit or until the song falls silent, tick by tick so
// that the cut lands on the exact frame where the output turns silent. A maxCpuRatio below 0
// sets no limit on the CPU time.
RenderResult render(ModulePlayer& player, FILE* f, uint64_t frameLimit, double maxCpuRatio)
{
    std::vector<float> chunk(2 * size_t(chunkFrames));
    uint32_t filled = 0;
    uint64_t done = 0;
    uint64_t nextCheck = checkFrames;
    while (done < frameLimit) {
        uint32_t room = chunkFrames - filled;
        float* at = chunk.data() + 2 * size_t(filled);
        uint64_t n;
        if (player.framesToNextTick <= 0.0f) {
            player.generate(at, 1);
            if (silenced(player))
                break;
            n = 1;
        } else {
            // No tick falls within the next frames, so the silence state cannot change there.
            n = frameLimit - done;
            if (player.framesToNextTick < float(n)) {  // also false for a tempo of 0 (no more ticks)
                uint64_t untilTick = uint64_t(player.framesToNextTick);
                if (float(untilTick) < player.framesToNextTick)
                    ++untilTick;
                n = untilTick;
            }
            if (n > room)
                n = room;
            player.generate(at, uint32_t(n));
        }
        filled += uint32_t(n);
        done += n;
        if (filled == chunkFrames) {
            if (fwrite(chunk.data(), sizeof(float), 2 * size_t(filled), f) != 2 * size_t(filled)) {
                return {RenderEnd::WriteFailed, done, 0.0};
            }
            filled = 0;
        }
        if (maxCpuRatio >= 0.0 && done >= nextCheck) {
            nextCheck = done + checkFrames;
            double cpu = double(clock()) / CLOCKS_PER_SEC;
            if (cpu > maxCpuRatio * double(done) / sampleRate)
                return {RenderEnd::CpuLimit, done, cpu};
        }
    }
    if (fwrite(chunk.data(), sizeof(float), 2 * size_t(filled), f) != 2 * size_t(filled)) {
        return {RenderEnd::WriteFailed, done, 0.0};
    }
    return {RenderEnd::Done, done, 0.0};
}

// Writes the file: a header with the sizes still open, the frames as they come, then the sizes.
int renderToFile(ModulePlayer& player, const char* path, uint64_t frameLimit, double maxCpuRatio)
{
    FILE* f = fopen(path, "wb");
    if (!f) {
        fprintf(stderr, "xmrender: cannot write %s\n", path);
        return 1;
    }
    uint8_t header[wavHeaderBytes];
    wavHeader(header, 0);
    bool ok = fwrite(header, 1, sizeof(header), f) == sizeof(header);
    RenderResult r = ok ? render(player, f, frameLimit, maxCpuRatio) : RenderResult{RenderEnd::WriteFailed, 0, 0.0};
    if (r.end == RenderEnd::Done) {
        // Little-endian hosts only, like every machine this builds on: the floats went out as
        // they are in memory.
        wavHeader(header, r.frames);
        ok = fseek(f, 0, SEEK_SET) == 0 && fwrite(header, 1, sizeof(header), f) == sizeof(header);
    }
    ok = fclose(f) == 0 && ok && r.end == RenderEnd::Done;
    if (ok) {
        printf("%s: %.3f s\n", path, double(r.frames) / sampleRate);
        return 0;
    }
    remove(path);
    if (r.end == RenderEnd::CpuLimit) {
        double seconds = double(r.frames) / sampleRate;
        fprintf(stderr,
                "xmrender: stopped after %.3f s of output: %.3f s of CPU time is %.3f s per second of output, "
                "above --max-cpu-ratio %g\n",
                seconds, r.cpuSeconds, r.cpuSeconds / seconds, maxCpuRatio);
        return exitCpuLimit;
    }
    fprintf(stderr, "xmrender: cannot write %s\n", path);
    return 1;
}

int usage()
{
    fprintf(stderr, "usage: xmrender IN.xm OUT.wav [--seconds S] [--loops N] [--max-cpu-ratio R]\n"
                    "       xmrender --info IN.xm\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && strcmp(argv[1], "--info") == 0)
        return printInfo(argv[2]);
    if (argc < 3)
        return usage();
    const char* in = argv[1];
    const char* outPath = argv[2];
    double seconds = maxSeconds;
    int loops = 1;
    double maxCpuRatio = -1.0;  // no limit
    for (int i = 3; i < argc; ++i) {
        if (strcmp(argv[i], "--seconds") == 0 && i + 1 < argc) {
            seconds = atof(argv[++i]);
            if (!(seconds >= 0.0 && seconds <= 3600.0))
                return usage();  // WAV sizes are 32-bit
        } else if (strcmp(argv[i], "--loops") == 0 && i + 1 < argc) {
            loops = atoi(argv[++i]);
            if (loops < 0 || loops > 255)
                return usage();
        } else if (strcmp(argv[i], "--max-cpu-ratio") == 0 && i + 1 < argc) {
            char* end = nullptr;
            maxCpuRatio = strtod(argv[++i], &end);
            if (end == argv[i] || *end != '\0' || !(maxCpuRatio >= 0.0 && maxCpuRatio <= 1e9))
                return usage();
        } else {
            return usage();
        }
    }

    ModulePlayer* player = openModule(in);
    if (!player)
        return 1;
    player->setMaxLoops(uint8_t(loops));
    int status = renderToFile(*player, outPath, uint64_t(seconds * sampleRate + 0.5), maxCpuRatio);
    destroyModulePlayer(player);
    return status;
}
