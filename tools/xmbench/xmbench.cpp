// xmbench IN.xm [SECONDS]: renders SECONDS of the module (default 120, the song repeating as
// often as needed) and prints the real-time factor: seconds of audio per second of CPU time.
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "audio/ModulePlayer.h"
#include "tools/common/ReadFile.h"

using namespace Nimbra;

namespace {

const uint32_t sampleRate = 44100;
const uint32_t blockFrames = 4096;  // what the audio stream renders per lap

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3) {
        fprintf(stderr, "usage: xmbench IN.xm [SECONDS]\n");
        return 2;
    }
    double seconds = argc == 3 ? atof(argv[2]) : 120.0;
    if (!(seconds > 0.0 && seconds < 1e6)) {
        fprintf(stderr, "xmbench: SECONDS must be positive\n");
        return 2;
    }
    std::vector<uint8_t> data;
    if (!readFile(argv[1], data)) {
        fprintf(stderr, "xmbench: cannot read %s\n", argv[1]);
        return 1;
    }
    ModulePlayer* player = nullptr;
    int code = createModulePlayer(&player, data.data(), data.size(), sampleRate);
    if (code != CreatePlayerOk) {
        fprintf(stderr, "xmbench: %s: cannot create a player (code %d)\n", argv[1], code);
        return 1;
    }
    player->setMaxLoops(0);  // keep playing: silence after one loop would flatter the figure

    std::vector<float> buffer(2 * blockFrames);
    uint64_t total = uint64_t(seconds * sampleRate);
    double checksum = 0.0;
    clock_t start = clock();
    for (uint64_t done = 0; done < total;) {
        uint32_t n = total - done < blockFrames ? uint32_t(total - done) : blockFrames;
        player->generate(buffer.data(), n);
        checksum += buffer[0];  // keeps the work observable
        done += n;
    }
    double cpu = double(clock() - start) / CLOCKS_PER_SEC;
    printf("channels %u\n", player->channelCount);
    printf("audio %.1f s\n", double(total) / sampleRate);
    printf("cpu %.3f s\n", cpu);
    printf("realtime %.0f x\n", cpu > 0.0 ? double(total) / sampleRate / cpu : 0.0);
    if (checksum != checksum)
        printf("(output contained NaN)\n");
    destroyModulePlayer(player);
    return 0;
}
