// song-report RENDER.wav: levels per section and the kick's onsets against the rhythm grid, for
// judging a render of the song by numbers.
#include "tests/soundtrack/SongAnalysis.h"

#include <algorithm>
#include <cstdio>
#include <set>

int main(int argc, char** argv)
{
    using namespace Nimbra::Listening;
    Wave wave;
    if (argc != 2 || !readWav(argv[1], wave)) {
        std::fprintf(stderr, "usage: song-report RENDER.wav\n");
        return 2;
    }
    std::printf("%.2f s, peak %.3f\n", wave.frames() / double(wave.rate), peak(wave));
    const int sections[] = {0, 128, 256, 384, 512, 608, 640, 896, 1152, 1408, 1536, 1664, 1792, 1856, 2720};
    for (size_t i = 0; i + 1 < std::size(sections); ++i)
        std::printf("rows %4d-%4d  rms %.4f\n", sections[i], sections[i + 1], rowsRms(wave, sections[i], sections[i + 1]));
    const std::vector<float> band = lowBand(wave, 100.0);
    const std::vector<int> grid = gridRows(1792);
    const std::set<int> onGrid(grid.begin(), grid.end());
    double weakestOnGrid = 1e9, strongestOff = 0.0;
    int weakRow = -1, offRow = -1;
    for (int row = 128; row < 1792; ++row) {
        const double s = onsetStrength(band, row);
        if (onGrid.count(row)) {
            if (s < weakestOnGrid) { weakestOnGrid = s; weakRow = row; }
        } else if (s > strongestOff) {
            strongestOff = s;
            offRow = row;
        }
    }
    std::printf("grid rows %zu: weakest onset %.2f (row %d); strongest off the grid %.2f (row %d)\n", grid.size(),
                weakestOnGrid, weakRow, strongestOff, offRow);
    for (int row = 600; row < 642; ++row)
        std::printf("%d:%.1f ", row, onsetStrength(band, row));
    std::printf("\n");
    return 0;
}
