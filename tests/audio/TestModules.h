#pragma once
// Small modules for the engine tests, written with the project's XM writer.
#include <memory>
#include <vector>

#include "audio/ModulePlayer.h"
#include "tools/common/XmWriter.h"

namespace Nimbra {

struct PlayerDeleter {
    void operator()(ModulePlayer* p) const { destroyModulePlayer(p); }
};
using PlayerPtr = std::unique_ptr<ModulePlayer, PlayerDeleter>;

// A sample of `length` frames whose value at frame i is i % 100 (8-bit) or i (16-bit), so a
// fetched value tells the position it came from.
XmSample rampSample(int length, bool sixteenBit = false);
// A sample holding one value throughout.
XmSample constantSample(int length, int16_t value, bool sixteenBit = false);

// One instrument with the given sample mapped to every note.
XmInstrument instrumentWith(const XmSample& sample);

// channels x rows pattern 0, played once (order table {0}), speed 3, tempo 125, linear
// frequencies, one instrument with a looped constant 8-bit sample.
XmModule basicModule(uint16_t channels = 2, uint16_t rows = 16);

XmCell& cellAt(XmModule& m, int pattern, int row, int channel);

// basicModule with one channel playing the given rows of pattern 0 (rows beyond them are
// empty) at the given speed.
XmModule oneChannel(std::vector<XmCell> cells, uint16_t speed = 3, bool linear = true);

// Writes the module and creates a player at 44,100 Hz; fails the test if creation fails.
PlayerPtr makePlayer(const XmModule& m, uint32_t sampleRate = 44100);
PlayerPtr makePlayer(const std::vector<uint8_t>& bytes, uint32_t sampleRate = 44100);

// Runs whole ticks through the replayer alone.
void runTicks(ModulePlayer& p, int ticks);
// Renders frames and returns them interleaved.
std::vector<float> render(ModulePlayer& p, uint32_t frames);

// Channel 0's value of `field` after each of `ticks` ticks.
template <typename F>
std::vector<float> trace(ModulePlayer& p, int ticks, F field)
{
    std::vector<float> out;
    for (int i = 0; i < ticks; ++i) {
        p.playTick();
        out.push_back(float(field(p.channels[0])));
    }
    return out;
}

// A played row: the pattern and row whose cells the channels read (pattern -1 for a row that
// plays empty because it lies outside its pattern).
struct PlayedRow {
    int pattern;
    int row;
    bool operator==(const PlayedRow& o) const { return pattern == o.pattern && row == o.row; }
};
// Plays `rows` rows tick by tick and records which row each one was.
std::vector<PlayedRow> playedRows(ModulePlayer& p, int rows);

}  // namespace Nimbra
