// songgen SCORE OUT.xm: synthesises every instrument and writes the song described by the score.
// The output depends on nothing but the score, so the committed song can always be regenerated.
#include "tools/common/XmWriter.h"
#include "tools/songgen/Instruments.h"
#include "tools/songgen/Score.h"

#include <cstdio>
#include <fstream>
#include <sstream>

int main(int argc, char** argv)
{
    using namespace Nimbra;
    if (argc != 3) {
        std::fprintf(stderr, "usage: songgen SCORE OUT.xm\n");
        return 2;
    }
    std::ifstream scoreFile(argv[1], std::ios::binary);
    if (!scoreFile) {
        std::fprintf(stderr, "songgen: cannot read %s\n", argv[1]);
        return 1;
    }
    std::stringstream score;
    score << scoreFile.rdbuf();

    XmModule module;
    std::string error;
    if (!SongGen::buildSongFromScore(score.str(), SongGen::buildInstruments(), module, error)) {
        std::fprintf(stderr, "songgen: %s\n", error.c_str());
        return 1;
    }
    const std::vector<uint8_t> bytes = writeXm(module);
    std::ofstream out(argv[2], std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out) {
        std::fprintf(stderr, "songgen: cannot write %s\n", argv[2]);
        return 1;
    }
    unsigned rows = 0;
    for (uint8_t order : module.orders)
        rows += module.patterns[order].rowCount;
    std::printf("songgen: %u channels, %zu patterns, %zu instruments, %zu orders (restart %u), "
                "%u rows, %zu bytes\n",
                module.channelCount, module.patterns.size(), module.instruments.size(), module.orders.size(),
                module.restartPosition, rows, bytes.size());
    return 0;
}
