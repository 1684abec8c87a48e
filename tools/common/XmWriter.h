#pragma once
// Writes Extended Module (XM 0x0104) files from a plain in-memory description. Used by the song
// generator, the tests and the fuzz corpus; it knows nothing about playback.
#include <cstdint>
#include <string>
#include <vector>

namespace Nimbra {

// One pattern cell, the five columns a tracker shows. note: 0 none, 1..96 C-0..B-7, 97 key off.
struct XmCell {
    uint8_t note = 0;
    uint8_t instrument = 0;  // 0 none, else 1-based
    uint8_t volume = 0;      // volume column command (0x10..0x50 set volume, 0x60.. effects)
    uint8_t effect = 0;      // effect type 0..35
    uint8_t param = 0;
};

struct XmPattern {
    uint16_t rowCount = 64;
    std::vector<XmCell> cells;  // rowCount x channelCount, row-major; missing cells are empty

    // Sizes the cell table for the given channel count (all empty).
    void resize(uint16_t rows, uint16_t channelCount);
    XmCell& at(int row, int channel, int channelCount) { return cells[row * channelCount + channel]; }
};

struct XmEnvelopePoint {
    uint16_t x = 0;  // ticks
    uint16_t y = 0;  // 0..64
};

struct XmEnvelope {
    std::vector<XmEnvelopePoint> points;  // at most 12 are written
    uint8_t sustainPoint = 0;
    uint8_t loopStart = 0;
    uint8_t loopEnd = 0;
    bool enabled = false;
    bool sustain = false;
    bool loop = false;
};

enum class XmLoop : uint8_t { None = 0, Forward = 1, PingPong = 2 };

struct XmSample {
    std::string name;
    bool sixteenBit = false;
    std::vector<int16_t> data;  // sample values: -128..127 for 8-bit, full range for 16-bit
    uint32_t loopStart = 0;     // in sample frames
    uint32_t loopLength = 0;    // in sample frames
    XmLoop loopType = XmLoop::None;
    uint8_t volume = 64;      // 0..64
    int8_t finetune = 0;      // -128..127, 1/128 semitone
    uint8_t panning = 128;    // 0..255
    int8_t relativeNote = 0;  // semitones
};

struct XmInstrument {
    std::string name;
    uint8_t sampleMap[96] = {};  // sample index for notes 1..96
    XmEnvelope volumeEnvelope;
    XmEnvelope panningEnvelope;
    uint8_t vibratoType = 0;  // file code: 0 sine, 1 square, 2 ramp down, 3 random, 4 ramp up
    uint8_t vibratoSweep = 0;
    uint8_t vibratoDepth = 0;
    uint8_t vibratoRate = 0;
    uint16_t fadeout = 0;
    std::vector<XmSample> samples;
};

struct XmModule {
    std::string name;
    std::string trackerName = "Nimbra XmWriter";
    uint16_t channelCount = 4;
    uint16_t restartPosition = 0;
    bool linearFrequencies = true;
    uint16_t speed = 6;           // ticks per row
    uint16_t tempo = 125;         // BPM
    std::vector<uint8_t> orders;  // pattern number per order entry (at most 256)
    std::vector<XmPattern> patterns;
    std::vector<XmInstrument> instruments;
};

// The complete file: header, packed patterns, instruments with delta-coded sample data.
std::vector<uint8_t> writeXm(const XmModule& module);

// Packs one pattern's cells the way trackers do (flag byte unless all five columns are used).
std::vector<uint8_t> packXmPattern(const XmPattern& pattern, uint16_t channelCount);

}  // namespace Nimbra
