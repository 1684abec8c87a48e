// staircase-songs DIR: writes DIR/staircase.xm and DIR/staircase-octave.xm, two songs for the
// song-reload test. Both play one sine note a second, a semitone higher each second from C-4,
// twelve steps and round again, for 108 s; the second plays every note an octave higher. What
// is heard at a moment tells which song plays and where in it.
#include "tools/common/XmWriter.h"

#include <cmath>
#include <cstdio>
#include <string>

using namespace Nimbra;

namespace {

XmModule staircase(int8_t relativeNote)
{
    XmModule m;
    m.name = relativeNote ? "staircase, octave up" : "staircase";
    m.channelCount = 1;
    m.speed = 5;  // ticks a row: at 125 BPM a tick is 20 ms, so a row is 100 ms
    m.tempo = 125;
    XmPattern steps;
    steps.resize(120, 1);
    for (int step = 0; step < 12; ++step)
        steps.at(step * 10, 0, 1) = XmCell{uint8_t(49 + step), 1, 0, 0, 0};  // C-4 and up, each second
    m.patterns.push_back(steps);
    m.orders.assign(9, 0);
    XmInstrument sine;
    sine.sampleMap[0] = 0;
    XmSample wave;
    wave.sixteenBit = true;
    wave.data.resize(256);  // eight periods of 32 frames: C-4 (8,363 Hz) sounds at 261.3 Hz
    for (int i = 0; i < 256; ++i)
        wave.data[i] = int16_t(std::lround(20000.0 * std::sin(6.283185307 * i / 32.0)));
    wave.loopType = XmLoop::Forward;
    wave.loopLength = 256;
    wave.relativeNote = relativeNote;
    sine.samples.push_back(wave);
    m.instruments.push_back(sine);
    return m;
}

bool save(const std::string& path, const XmModule& module)
{
    const std::vector<uint8_t> bytes = writeXm(module);
    FILE* file = std::fopen(path.c_str(), "wb");
    const bool ok = file && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return file && std::fclose(file) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: staircase-songs DIR\n");
        return 2;
    }
    const std::string dir = argv[1];
    return save(dir + "/staircase.xm", staircase(0)) && save(dir + "/staircase-octave.xm", staircase(12)) ? 0 : 1;
}
