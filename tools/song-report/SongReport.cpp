// song-report RENDER.wav: peak and loudness section by section, for judging a render of the
// song (make listen) by numbers.
#include "tools/song-report/SongAnalysis.h"

#include <cstdio>
#include <iterator>

int main(int argc, char** argv)
{
    using namespace Nimbra::Listening;
    Wave wave;
    if (argc != 2 || !readWav(argv[1], wave) || wave.rate != kRate) {
        std::fprintf(stderr, "usage: song-report RENDER.wav (44.1 kHz)\n");
        return 2;
    }
    std::printf("%.2f s, peak %.3f\n", wave.frames() / double(wave.rate), peak(wave));
    const std::vector<float> band = lowBand(wave, 100.0);
    const struct {
        int row;
        const char* name;
    } sections[] = {{0, "intro"},     {128, "beat"}, {256, "verse A"},    {384, "verse B"}, {512, "build"},
                    {608, "break"},   {640, "main"}, {1152, "bridge"},    {1408, "drive"},  {1536, "themes"},
                    {1664, "finale"}, {1792, "hit"}, {1824, "interlude"}, {2720, ""}};
    std::printf("section      rows        rms    low band\n");
    for (size_t i = 0; i + 1 < std::size(sections); ++i) {
        const int first = sections[i].row, last = sections[i + 1].row;
        const double low = energy(band, int64_t(first) * kRowFrames, int64_t(last - first) * kRowFrames) /
                           (double(last - first) * kRowFrames);
        std::printf("%-10s %4d-%4d  %.4f  %.5f\n", sections[i].name, first, last, rowsRms(wave, first, last), low);
    }
    return 0;
}
