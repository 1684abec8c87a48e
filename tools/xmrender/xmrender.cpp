// xmrender IN.xm OUT.wav [--seconds S] [--loops N]   renders to 32-bit float stereo WAV
// xmrender --info IN.xm                               prints the module's header figures
//
// By default rendering stops where the song comes round to a row it has already played (the
// output turns silent with one loop allowed) or after 600 s, whichever comes first.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "audio/ModulePlayer.h"
#include "tools/common/ReadFile.h"

using namespace Nimbra;

namespace {

const uint32_t sampleRate = 44100;
const double maxSeconds = 600.0;

const char* headerProblem(int code) {
    switch (code) {
        case 1: return "not an XM module (signature \"Extended Module: \" missing)";
        case 2: return "not an XM module (marker byte 0x1A missing)";
        case 3: return "unsupported XM version (only 0x0104 is played)";
        case 4: return "file too short for an XM header";
        default: return "invalid header";
    }
}

// Loads and creates the player, explaining any failure on stderr.
ModulePlayer* openModule(const char* path) {
    std::vector<uint8_t> data;
    if (!readFile(path, data)) {
        fprintf(stderr, "xmrender: cannot read %s\n", path);
        return nullptr;
    }
    int header = checkModuleHeader(data.data(), data.size());
    if (header != 0) {
        fprintf(stderr, "xmrender: %s: %s\n", path, headerProblem(header));
        return nullptr;
    }
    ModulePlayer* player = nullptr;
    if (createModulePlayer(&player, data.data(), data.size(), sampleRate) != 0) {
        fprintf(stderr, "xmrender: %s: refused, the player would need %llu bytes (limit %llu)\n", path,
                (unsigned long long)computeModulePlayerSize(data.data(), data.size()),
                (unsigned long long)maxModulePlayerSize);
        return nullptr;
    }
    return player;
}

int printInfo(const char* path) {
    ModulePlayer* player = openModule(path);
    if (!player) return 1;
    printf("channels %u\n", player->channelCount);
    printf("patterns %u\n", player->patternCount);
    printf("instruments %u\n", player->instrumentCount);
    printf("length %u\n", player->songLength);
    printf("restart %u\n", player->restartPosition);
    printf("frequency %s\n", player->frequencyMode == 0 ? "linear" : "amiga");
    printf("speed %u\n", player->speed);
    printf("tempo %u\n", player->bpm);
    printf("blockSize %llu\n", (unsigned long long)player->blockSize);
    destroyModulePlayer(player);
    return 0;
}

bool silenced(const ModulePlayer& p) { return p.maxLoops != 0 && p.rowVisits >= p.maxLoops; }

// Renders until the limit or until the song falls silent, tick by tick so that the cut lands
// on the exact frame where the output turns silent.
std::vector<float> render(ModulePlayer& player, uint64_t frameLimit) {
    std::vector<float> out;
    uint64_t done = 0;
    while (done < frameLimit) {
        if (player.framesToNextTick <= 0.0f) {
            float frame[2];
            player.generate(frame, 1);
            if (silenced(player)) break;
            out.insert(out.end(), frame, frame + 2);
            ++done;
            continue;
        }
        // No tick falls within the next frames, so the silence state cannot change there.
        uint64_t n = frameLimit - done;
        if (player.framesToNextTick < float(n)) {  // also false for a tempo of 0 (no more ticks)
            uint64_t untilTick = uint64_t(player.framesToNextTick);
            if (float(untilTick) < player.framesToNextTick) ++untilTick;
            n = untilTick;
        }
        size_t at = out.size();
        out.resize(at + 2 * n);
        player.generate(out.data() + at, uint32_t(n));
        done += n;
    }
    return out;
}

void put16(FILE* f, uint16_t v) { fputc(v & 0xFF, f), fputc(v >> 8, f); }
void put32(FILE* f, uint32_t v) { put16(f, uint16_t(v)), put16(f, uint16_t(v >> 16)); }

bool writeWav(const char* path, const std::vector<float>& samples) {
    FILE* f = fopen(path, "wb");
    if (!f) return false;
    uint32_t dataBytes = uint32_t(samples.size() * sizeof(float));
    fwrite("RIFF", 1, 4, f);
    put32(f, 36 + dataBytes);
    fwrite("WAVEfmt ", 1, 8, f);
    put32(f, 16);
    put16(f, 3);  // IEEE float
    put16(f, 2);
    put32(f, sampleRate);
    put32(f, sampleRate * 8);
    put16(f, 8);
    put16(f, 32);
    fwrite("data", 1, 4, f);
    put32(f, dataBytes);
    // Little-endian hosts only, like every machine this builds on.
    size_t written = fwrite(samples.data(), sizeof(float), samples.size(), f);
    bool ok = fclose(f) == 0 && written == samples.size();
    if (!ok) remove(path);
    return ok;
}

int usage() {
    fprintf(stderr,
            "usage: xmrender IN.xm OUT.wav [--seconds S] [--loops N]\n"
            "       xmrender --info IN.xm\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && strcmp(argv[1], "--info") == 0) return printInfo(argv[2]);
    if (argc < 3) return usage();
    const char* in = argv[1];
    const char* outPath = argv[2];
    double seconds = maxSeconds;
    int loops = 1;
    for (int i = 3; i < argc; ++i) {
        if (strcmp(argv[i], "--seconds") == 0 && i + 1 < argc) {
            seconds = atof(argv[++i]);
            if (!(seconds >= 0.0 && seconds <= 3600.0)) return usage();  // WAV sizes are 32-bit
        } else if (strcmp(argv[i], "--loops") == 0 && i + 1 < argc) {
            loops = atoi(argv[++i]);
            if (loops < 0 || loops > 255) return usage();
        } else {
            return usage();
        }
    }

    ModulePlayer* player = openModule(in);
    if (!player) return 1;
    player->setMaxLoops(uint8_t(loops));
    std::vector<float> samples = render(*player, uint64_t(seconds * sampleRate + 0.5));
    destroyModulePlayer(player);
    if (!writeWav(outPath, samples)) {
        fprintf(stderr, "xmrender: cannot write %s\n", outPath);
        return 1;
    }
    printf("%s: %.3f s\n", outPath, double(samples.size() / 2) / sampleRate);
    return 0;
}
