// Checks, sizes and unpacks an XM 0x0104 module into the player block. The module is untrusted:
// every read is bounded (missing bytes read as 0), every count is bounded by the block limit.
#include <cstdlib>
#include <cstring>

#include "audio/ModulePlayer.h"
#include "audio/Pitch.h"
#include "audio/VoiceStart.h"
#include "audio/Waveform.h"

namespace Nimbra {

namespace {

const uint32_t maxInstrumentHeader = 263;
const uint32_t sampleHeaderSize = 40;
const uint64_t sectionAlignment = 8;

// Sections start on 8-byte boundaries so that every record is naturally aligned; the size
// computation walks with the same rule, so both agree to the byte.
uint64_t alignUp(uint64_t offset)
{
    return (offset + sectionAlignment - 1) & ~(sectionAlignment - 1);
}

// Little-endian reads that yield 0 at or beyond the limit.
struct BoundedReader {
    const uint8_t* data;
    uint64_t limit;

    uint8_t u8(uint64_t at) const { return at < limit ? data[at] : 0; }
    uint16_t u16(uint64_t at) const { return uint16_t(u8(at) | (u8(at + 1) << 8)); }
    uint32_t u32(uint64_t at) const { return uint32_t(u16(at)) | (uint32_t(u16(at + 2)) << 16); }
};

uint8_t clampLoopPoint(uint8_t point, uint8_t count)
{
    return (count > 0 && point > count - 1) ? uint8_t(count - 1) : point;
}

struct SampleHeader {
    uint32_t byteLength;
    uint32_t loopStart;
    uint32_t loopLength;
    uint8_t volume;
    int8_t finetune;
    uint8_t type;
    uint8_t panning;
    int8_t relativeNote;

    bool sixteenBit() const { return (type & 0x10) != 0; }
    // Bytes the data occupies in the file: 16-bit data is read in whole values.
    uint64_t storedBytes() const { return sixteenBit() ? uint64_t(byteLength / 2) * 2 : byteLength; }
};

SampleHeader readSampleHeader(const BoundedReader& in, uint64_t at)
{
    SampleHeader h;
    h.byteLength = in.u32(at);
    h.loopStart = in.u32(at + 4);
    h.loopLength = in.u32(at + 8);
    h.volume = in.u8(at + 12);
    h.finetune = int8_t(in.u8(at + 13));
    h.type = in.u8(at + 14);
    h.panning = in.u8(at + 15);
    h.relativeNote = int8_t(in.u8(at + 16));
    return h;
}

void fillSample(const SampleHeader& h, ModuleSample& s)
{
    // Loop end in 64 bits: start + length can exceed 32 bits in a corrupt header.
    uint64_t length = h.byteLength;
    uint64_t loopStart = h.loopStart;
    uint64_t loopEnd = uint64_t(h.loopStart) + h.loopLength;
    if (length < loopStart)
        loopStart = length;
    if (length < loopEnd)
        loopEnd = length;
    uint32_t mode = h.type & 3;
    s.loopType = (mode != 0 && loopStart != loopEnd) ? (mode == 1 ? LoopForward : LoopPingPong) : LoopNone;
    uint32_t divisor = h.sixteenBit() ? 2 : 1;
    s.bits = h.sixteenBit() ? 16 : 8;
    s.length = uint32_t(length / divisor);
    s.loopStart = uint32_t(loopStart / divisor);
    s.loopEnd = uint32_t(loopEnd / divisor);
    s.loopLength = uint32_t((loopEnd - loopStart) / divisor);
    s.volume = float(h.volume) / 64.0f;
    s.finetune = h.finetune;
    s.panning = float(h.panning) / 255.0f;
    s.relativeNote = h.relativeNote;
}

// Delta decoding; bytes beyond the module read as 0, so the last value simply repeats.
void decodeSample(const BoundedReader& in, uint64_t at, const SampleHeader& h, void* out)
{
    uint64_t available = at < in.limit ? in.limit - at : 0;
    if (h.sixteenBit()) {
        int16_t* values = static_cast<int16_t*>(out);
        uint64_t count = h.byteLength / 2;
        // A value cut off after its low byte (a truncated file) still adds that byte: its
        // missing high byte reads as 0.
        uint64_t stored = (available + 1) / 2 < count ? (available + 1) / 2 : count;
        uint16_t sum = 0;
        for (uint64_t i = 0; i < stored; ++i) {
            sum = uint16_t(sum + in.u16(at + 2 * i));
            values[i] = int16_t(sum);
        }
        for (uint64_t i = stored; i < count; ++i)
            values[i] = int16_t(sum);
    } else {
        int8_t* values = static_cast<int8_t*>(out);
        uint64_t count = h.byteLength;
        uint64_t stored = available < count ? available : count;
        uint8_t sum = 0;
        for (uint64_t i = 0; i < stored; ++i) {
            sum = uint8_t(sum + in.data[at + i]);
            values[i] = int8_t(sum);
        }
        if (count > stored)
            memset(values + stored, int8_t(sum), size_t(count - stored));
    }
}

void unpackPattern(const BoundedReader& in, uint64_t packedAt, uint32_t packedSize, PatternCell* cells,
                   uint64_t cellCount)
{
    uint64_t offset = 0;
    uint64_t index = 0;
    // Cells beyond rows x channels have no room and are dropped; cells past the end of the
    // module would read as zeros, which is what the zero-filled block already holds.
    while (offset < packedSize && index < cellCount && packedAt + offset < in.limit) {
        uint8_t b = in.u8(packedAt + offset++);
        PatternCell c = {0, 0, 0, 0, 0};
        if (b & 0x80) {
            if (b & 0x01)
                c.note = in.u8(packedAt + offset++);
            if (b & 0x02)
                c.instrument = in.u8(packedAt + offset++);
            if (b & 0x04)
                c.volume = in.u8(packedAt + offset++);
            if (b & 0x08)
                c.effect = in.u8(packedAt + offset++);
            if (b & 0x10)
                c.param = in.u8(packedAt + offset++);
        } else {
            c.note = b;
            c.instrument = in.u8(packedAt + offset++);
            c.volume = in.u8(packedAt + offset++);
            c.effect = in.u8(packedAt + offset++);
            c.param = in.u8(packedAt + offset++);
        }
        cells[index++] = c;
    }
}

void readInstrumentHeader(const BoundedReader& header, uint64_t at, ModuleInstrument& ins)
{
    for (int i = 0; i < 96; ++i)
        ins.sampleMap[i] = header.u8(at + 33 + i);
    ModuleEnvelope* envelopes[2] = {&ins.volumeEnvelope, &ins.panningEnvelope};
    for (int e = 0; e < 2; ++e) {
        ModuleEnvelope& env = *envelopes[e];
        uint8_t count = header.u8(at + 225 + e);
        env.pointCount = count > 12 ? 12 : count;
        for (int p = 0; p < env.pointCount; ++p) {
            env.points[p].x = header.u16(at + 129 + 48 * e + 4 * p);
            env.points[p].y = header.u16(at + 131 + 48 * e + 4 * p);
        }
        env.sustainPoint = header.u8(at + 227 + 3 * e);
        env.loopStart = clampLoopPoint(header.u8(at + 228 + 3 * e), env.pointCount);
        env.loopEnd = clampLoopPoint(header.u8(at + 229 + 3 * e), env.pointCount);
        uint8_t flags = header.u8(at + 233 + e);
        env.enabled = flags & 1;
        env.sustainEnabled = (flags >> 1) & 1;
        env.loopEnabled = (flags >> 2) & 1;
    }
    // The file numbers square 1 and ramp down 2; the waveforms the other way round.
    uint8_t type = header.u8(at + 235);
    ins.vibratoType = type == 1 ? int32_t(WaveSquare) : type == 2 ? int32_t(WaveRampDown) : int32_t(type);
    ins.vibratoSweep = header.u8(at + 236);
    ins.vibratoDepth = header.u8(at + 237);
    ins.vibratoRate = header.u8(at + 238);
    ins.fadeout = header.u16(at + 239);
}

// One walk serves both the size computation (tables null: offsets are only counted) and the
// parse (tables set: records are written at the same offsets). Returns the offset, counted
// from tables, just past section 5.
uint64_t walkModule(ModulePlayer* player, const uint8_t* data, size_t size, uint8_t* tables)
{
    BoundedReader in = {data, size};
    uint16_t songLength = in.u16(64);
    uint16_t channelCount = in.u16(68);
    uint16_t patternCount = in.u16(70);
    uint16_t instrumentCount = in.u16(72);

    uint64_t patternTable = 0;
    uint64_t instrumentTable = alignUp(patternTable + uint64_t(patternCount) * sizeof(PatternSlot));
    uint64_t used = alignUp(instrumentTable + uint64_t(instrumentCount) * sizeof(ModuleInstrument));
    PatternSlot* slots = tables ? reinterpret_cast<PatternSlot*>(tables + patternTable) : nullptr;
    ModuleInstrument* instruments = tables ? reinterpret_cast<ModuleInstrument*>(tables + instrumentTable) : nullptr;

    if (player) {
        player->songLength = songLength;
        player->restartPosition = in.u16(66);
        player->channelCount = channelCount;
        player->patternCount = patternCount;
        player->instrumentCount = instrumentCount;
        player->frequencyMode = (in.u8(74) & 1) ? LinearFrequencies : AmigaFrequencies;
        player->speed = in.u16(76);
        player->bpm = in.u16(78);
        for (int i = 0; i < 256; ++i)
            player->orderTable[i] = in.u8(80 + i);
        player->patterns = slots;
        player->instruments = instruments;
    }

    uint64_t at = 60 + uint64_t(in.u32(60));
    for (uint32_t p = 0; p < patternCount; ++p) {
        if (at >= size) {
            // Past the end every header reads as zeros: patterns of no rows, all starting here.
            // A header may declare 65,535 of them; they need no reading.
            for (; tables && p < patternCount; ++p)
                slots[p].cells = reinterpret_cast<PatternCell*>(tables + used);
            break;
        }
        uint32_t headerLength = in.u32(at);
        uint16_t rows = in.u16(at + 5);
        uint16_t packedSize = in.u16(at + 7);
        uint64_t packedAt = at + headerLength;
        uint64_t cellCount = uint64_t(rows) * channelCount;
        if (tables) {
            PatternCell* cells = reinterpret_cast<PatternCell*>(tables + used);
            slots[p].rowCount = rows;
            slots[p].cells = cells;
            unpackPattern(in, packedAt, packedSize, cells, cellCount);
        }
        used += cellCount * sizeof(PatternCell);
        at = packedAt + packedSize;
    }

    for (uint32_t i = 0; i < instrumentCount; ++i) {
        // Past the end every instrument reads as zeros: no samples, nothing to fill.
        if (at >= size)
            break;
        uint64_t start = at;
        uint32_t declared = in.u32(start);
        uint32_t effective = (declared >= 1 && declared <= maxInstrumentHeader) ? declared : maxInstrumentHeader;
        uint64_t headerEnd = start + effective;
        BoundedReader header = {data, headerEnd < size ? headerEnd : size};
        uint16_t sampleCount = header.u16(start + 27);
        if (sampleCount == 0) {
            at = headerEnd;
            continue;
        }
        used = alignUp(used);
        ModuleSample* samples = tables ? reinterpret_cast<ModuleSample*>(tables + used) : nullptr;
        used += uint64_t(sampleCount) * sizeof(ModuleSample);
        if (tables) {
            ModuleInstrument& ins = instruments[i];
            ins.sampleCount = sampleCount;
            ins.samples = samples;
            readInstrumentHeader(header, start, ins);
        }
        uint64_t dataAt = headerEnd + uint64_t(sampleCount) * sampleHeaderSize;
        for (uint32_t s = 0; s < sampleCount; ++s) {
            uint64_t headerAt = headerEnd + uint64_t(s) * sampleHeaderSize;
            if (headerAt >= size) {
                // Past the end every header reads as zeros: 8-bit samples of no frames, whose
                // data all starts here. An instrument may declare 65,535 of them.
                used = alignUp(used);
                for (; tables && s < sampleCount; ++s) {
                    samples[s].bits = 8;
                    samples[s].data = tables + used;
                }
                break;
            }
            SampleHeader h = readSampleHeader(in, headerAt);
            used = alignUp(used);
            if (tables) {
                fillSample(h, samples[s]);
                samples[s].data = tables + used;
                decodeSample(in, dataAt, h, samples[s].data);
            }
            used += h.byteLength;
            dataAt += h.storedBytes();
        }
        at = dataAt;
    }
    return alignUp(used);
}

}  // namespace

int checkModuleHeader(const uint8_t* data, size_t size)
{
    if (size < 60)
        return HeaderTooShort;
    if (memcmp(data, "Extended Module: ", 17) != 0)
        return HeaderBadSignature;
    if (data[37] != 0x1A)
        return HeaderBadMarker;
    if (data[58] != 0x04 || data[59] != 0x01)
        return HeaderBadVersion;
    return HeaderValid;
}

uint64_t computeModulePlayerSize(const uint8_t* data, size_t size)
{
    BoundedReader in = {data, size};
    uint64_t total = sizeof(ModulePlayer);
    total += walkModule(nullptr, data, size, nullptr);
    total += uint64_t(in.u16(68)) * sizeof(ModuleChannel);
    total += uint64_t(in.u16(64)) * 256;
    return total;
}

uint8_t* parseModule(ModulePlayer* player, const uint8_t* data, size_t size, uint8_t* tables)
{
    return tables + walkModule(player, data, size, tables);
}

int createModulePlayer(ModulePlayer** out, const uint8_t* data, size_t size, uint32_t sampleRate)
{
    if (checkModuleHeader(data, size) != HeaderValid)
        return CreatePlayerBadHeader;
    uint64_t blockSize = computeModulePlayerSize(data, size);
    if (blockSize > maxModulePlayerSize)
        return CreatePlayerRefused;
    void* block = malloc(size_t(blockSize));
    if (!block)
        return CreatePlayerRefused;
    memset(block, 0, size_t(blockSize));

    ModulePlayer* player = static_cast<ModulePlayer*>(block);
    player->blockSize = blockSize;
    player->sampleRate = sampleRate;
    uint8_t* tablesEnd = parseModule(player, data, size, static_cast<uint8_t*>(block) + sizeof(ModulePlayer));
    player->globalVolume = 1.0f;
    player->amplification = 0.25f;
    player->rampStep = 1.0f / 128.0f;

    player->channels = reinterpret_cast<ModuleChannel*>(tablesEnd);
    for (uint32_t i = 0; i < player->channelCount; ++i)
        initChannel(player->channels[i]);
    player->walkedChannels =
        uint16_t(player->channelCount < alwaysWalkedChannels ? player->channelCount : alwaysWalkedChannels);
    player->visitCounts = reinterpret_cast<uint8_t*>(player->channels + player->channelCount);
    *out = player;
    return CreatePlayerOk;
}

void destroyModulePlayer(ModulePlayer* player)
{
    free(player);
}

void ModulePlayer::setMaxLoops(uint8_t count)
{
    maxLoops = count;
}

}  // namespace Nimbra
