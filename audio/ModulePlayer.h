#pragma once
// The soundtrack player: an XM song unpacked into one heap block together with its playback
// state. createModulePlayer builds the block; generate renders 32-bit float stereo frames;
// free (or destroyModulePlayer) releases everything at once.
#include <cstddef>
#include <cstdint>

namespace Nimbra {

struct PatternCell {
    uint8_t note;        // 0 none, 1..96 a note, 97 key off
    uint8_t instrument;  // 0 none, else 1-based
    uint8_t volume;      // volume column command
    uint8_t effect;
    uint8_t param;
};

struct PatternSlot {
    uint16_t rowCount;
    PatternCell* cells;  // rowCount x channelCount, row-major
};

struct EnvelopePoint {
    uint16_t x;  // ticks
    uint16_t y;  // 0..64
};

struct ModuleEnvelope {
    EnvelopePoint points[12];
    uint8_t pointCount;
    uint8_t sustainPoint;
    uint8_t loopStart;
    uint8_t loopEnd;
    uint8_t enabled;
    uint8_t sustainEnabled;
    uint8_t loopEnabled;
};

// ModuleSample::loopType.
enum SampleLoopType : int32_t {
    LoopNone = 0,
    LoopForward = 1,
    LoopPingPong = 2,
};

struct ModuleSample {
    uint8_t bits;     // 8 or 16
    uint32_t length;  // in sample frames
    uint32_t loopStart;
    uint32_t loopLength;
    uint32_t loopEnd;
    float volume;  // 0..1 (a header volume above 64 gives more)
    int8_t finetune;
    int32_t loopType;  // SampleLoopType: 0 none, 1 forward, 2 ping-pong
    float panning;     // 0..1
    int8_t relativeNote;
    void* data;  // int8_t or int16_t values
};

struct ModuleInstrument {
    uint16_t sampleCount;
    uint8_t sampleMap[96];
    ModuleEnvelope volumeEnvelope;
    ModuleEnvelope panningEnvelope;
    int32_t vibratoType;  // waveform number: 0 sine, 1 ramp down, 2 square, 3 random, 4 ramp up
    uint8_t vibratoSweep;
    uint8_t vibratoDepth;
    uint8_t vibratoRate;
    uint16_t fadeout;
    ModuleSample* samples;  // null when sampleCount is 0
};

// Frames over which a new note fades in from what the old voice would have played next: long
// enough to hide the click of the change, short enough not to blur the attack.
const uint32_t crossFadeFrames = 32;

struct ModuleChannel {
    float note;
    float triggeredNote;
    ModuleInstrument* instrument;
    ModuleSample* sample;
    const PatternCell* cell;
    float position;  // negative = stopped
    float period;
    float frequency;
    float step;
    uint8_t forward;
    float volume;
    float panning;
    uint16_t autoVibratoTicks;
    uint8_t keyOn;
    float fadeoutVolume;
    float envelopeVolume;
    float envelopePanning;
    uint16_t volumeEnvelopePos;
    uint16_t panningEnvelopePos;
    float autoVibratoDelta;
    uint8_t arpeggioActive;
    uint8_t arpeggioOffset;
    uint8_t volumeSlideMemory;
    uint8_t fineVolumeMemory;
    uint8_t globalSlideMemory;
    uint8_t panningSlideMemory;
    uint8_t portaUpMemory;
    uint8_t portaDownMemory;
    uint8_t finePortaUpMemory;
    uint8_t finePortaDownMemory;
    uint8_t extraFineUpMemory;
    uint8_t extraFineDownMemory;
    uint8_t tonePortaSpeed;
    float tonePortaTarget;
    uint8_t retrigMemory;
    uint8_t noteDelay;
    uint8_t loopRow;
    uint8_t loopCount;
    uint8_t vibratoActive;
    uint32_t vibratoWaveform;
    uint8_t vibratoRetrigger;
    uint8_t vibratoParam;
    uint16_t vibratoPos;
    float vibratoDelta;
    uint32_t tremoloWaveform;
    uint8_t tremoloRetrigger;
    uint8_t tremoloParam;
    uint8_t tremoloPos;
    float tremoloDelta;
    uint8_t tremorParam;
    uint8_t tremorMuted;
    float targetLeft;
    float targetRight;
    uint32_t rampIndex;
    float tail[crossFadeFrames];
    float gainLeft;
    float gainRight;
};

// Channels always walked, however empty their cells: every real song fits in them, and the
// channel records of such songs keep exactly what the format's rules give them.
const uint32_t alwaysWalkedChannels = 64;

// Flags of ModulePlayer::triggerNote.
enum TriggerFlags : uint32_t {
    TriggerKeepVolume = 1,
    TriggerKeepPeriod = 2,
    TriggerKeepPosition = 4,
    TriggerKeepEnvelopes = 8,
};

struct ModulePlayer {
    uint64_t blockSize;
    uint16_t songLength;
    uint16_t restartPosition;
    uint16_t channelCount;
    uint16_t patternCount;
    uint16_t instrumentCount;
    uint32_t frequencyMode;  // LinearFrequencies (0) or AmigaFrequencies (1), see audio/Pitch.h
    uint8_t orderTable[256];
    PatternSlot* patterns;
    ModuleInstrument* instruments;
    uint32_t sampleRate;
    uint16_t speed;
    uint16_t bpm;
    float globalVolume;
    float amplification;
    float rampStep;
    uint8_t orderIndex;
    uint8_t row;
    uint16_t tick;
    float framesToNextTick;
    uint8_t jumpPending;
    uint8_t breakPending;
    uint8_t jumpOrder;
    uint8_t nextRow;
    uint16_t extraTicks;
    // The first channels and every one up to the last that has had anything in its cells; the rest keep their
    // initial state. Sits in former padding so every other field keeps its offset (see the assertions below).
    uint16_t walkedChannels;
    uint8_t* visitCounts;
    uint8_t rowVisits;
    uint8_t maxLoops;  // 0 = play forever
    ModuleChannel* channels;

    // 0 plays forever; otherwise output falls silent once a row has been visited this often.
    void setMaxLoops(uint8_t count);
    // Writes count stereo frames (left, right floats) to frames.
    void generate(float* frames, uint32_t count);

    // Replayer.
    void playTick();
    void advanceRow();
    void processCell(ModuleChannel& channel, const PatternCell& cell);
    void triggerNote(ModuleChannel& channel, uint32_t flags);
    void stepEnvelopes(ModuleChannel& channel);
    void portamento(ModuleChannel& channel, int amount);
    void extraFinePortamento(ModuleChannel& channel, int amount);
    void tonePortamento(ModuleChannel& channel);
    void vibrato(ModuleChannel& channel, uint8_t param);
    void slideVolume(ModuleChannel& channel, uint8_t param);
    void slidePanning(ModuleChannel& channel, uint8_t param);
    void refreshFrequency(ModuleChannel& channel);

private:
    void startNote(ModuleChannel& channel, const PatternCell& cell);
    void movePeriod(ModuleChannel& channel, float delta);
    void applyVolumeColumnFirstTick(ModuleChannel& channel, uint8_t v);
    void applyEffectFirstTick(ModuleChannel& channel, const PatternCell& cell);
    void applyExtendedFirstTick(ModuleChannel& channel, const PatternCell& cell);
    void stepChannel(ModuleChannel& channel, int tickIndex);
    void applyVolumeColumnTick(ModuleChannel& channel, uint8_t v);
    void applyEffectTick(ModuleChannel& channel, const PatternCell& cell, int tickIndex);
    void applyLaterTickEffect(ModuleChannel& channel, const PatternCell& cell, int tickIndex);
    void applyExtendedTick(ModuleChannel& channel, const PatternCell& cell, int tickIndex);
    void arpeggioTick(ModuleChannel& channel, uint8_t param, int tickIndex);
    void keepVibrating(ModuleChannel& channel);
    void multiRetriggerTick(ModuleChannel& channel, const PatternCell& cell, int tickIndex);
    void computeGains(ModuleChannel& channel);
    void enterRow();
    uint32_t framesUntilTick(uint32_t count);
    void mixSegment(float* frames, uint32_t count);
    void walkChannelsOfRow(const PatternCell* rowCells);
};

// The record's layout is shared with its users: walkedChannels took padding and moved nothing.
static_assert(sizeof(void*) != 8 ||
                  (offsetof(ModulePlayer, extraTicks) == 328 && offsetof(ModulePlayer, walkedChannels) == 330 &&
                   offsetof(ModulePlayer, visitCounts) == 336 && offsetof(ModulePlayer, channels) == 352 &&
                   sizeof(ModulePlayer) == 360),
              "ModulePlayer layout");

// Results of checkModuleHeader, tested in the order TooShort, BadSignature, BadMarker, BadVersion.
enum ModuleHeaderCheck : int {
    HeaderValid = 0,
    HeaderBadSignature = 1,  // "Extended Module: " missing
    HeaderBadMarker = 2,     // byte 37 is not 0x1A
    HeaderBadVersion = 3,    // not version 0x0104
    HeaderTooShort = 4,      // fewer than 60 bytes
};

// One of ModuleHeaderCheck.
int checkModuleHeader(const uint8_t* data, size_t size);

// Bytes the player block for this module needs.
uint64_t computeModulePlayerSize(const uint8_t* data, size_t size);

// Fills the header fields of player and the tables, cells, samples and sample data that start
// at tables; returns the address just past the last sample's data.
uint8_t* parseModule(ModulePlayer* player, const uint8_t* data, size_t size, uint8_t* tables);

// Blocks above this size are refused: a corrupt header of a few bytes must not make us
// zero-fill gigabytes.
const uint64_t maxModulePlayerSize = uint64_t(256) << 20;

// Results of createModulePlayer.
enum CreatePlayerResult : int {
    CreatePlayerOk = 0,
    CreatePlayerBadHeader = 1,  // checkModuleHeader failed
    CreatePlayerRefused = 2,    // block above maxModulePlayerSize, or the allocation failed
};

// One of CreatePlayerResult. out is untouched unless the result is CreatePlayerOk.
int createModulePlayer(ModulePlayer** out, const uint8_t* data, size_t size, uint32_t sampleRate);

// Same as free(player).
void destroyModulePlayer(ModulePlayer* player);

// The channel's next mono sample; advances its position.
float fetchSample(ModuleChannel& channel);

}  // namespace Nimbra
