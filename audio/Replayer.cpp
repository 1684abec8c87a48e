// Advances the song tick by tick: reads rows, starts and releases notes, runs the effects and
// sets each channel's target gains. Produces no samples itself.
#include <cmath>
#include <cstring>

#include "audio/Envelope.h"
#include "audio/ModulePlayer.h"
#include "audio/Pitch.h"
#include "audio/VoiceStart.h"
#include "audio/Waveform.h"

namespace Nimbra {

namespace {

enum Effect : uint8_t {
    Arpeggio = 0,
    PortaUp = 1,
    PortaDown = 2,
    TonePorta = 3,
    Vibrato = 4,
    TonePortaVolumeSlide = 5,
    VibratoVolumeSlide = 6,
    Tremolo = 7,
    SetPanning = 8,
    SampleOffset = 9,
    VolumeSlide = 10,
    PositionJump = 11,
    SetVolume = 12,
    PatternBreak = 13,
    Extended = 14,
    SetSpeed = 15,
    SetGlobalVolume = 16,
    GlobalVolumeSlide = 17,
    KeyOff = 20,
    SetEnvelopePosition = 21,
    PanningSlide = 25,
    MultiRetrigger = 27,
    Tremor = 29,
    ExtraFinePorta = 33,
};

enum ExtendedEffect : uint8_t {
    FinePortaUp = 0x1,
    FinePortaDown = 0x2,
    VibratoControl = 0x4,
    SetFinetune = 0x5,
    PatternLoop = 0x6,
    TremoloControl = 0x7,
    Retrigger = 0x9,
    FineVolumeUp = 0xA,
    FineVolumeDown = 0xB,
    NoteCut = 0xC,
    NoteDelay = 0xD,
    PatternDelay = 0xE,
};

const uint8_t KeyOffNote = 97;
const uint16_t missingPatternRows = 64;

// Rows that lie outside their pattern (or a pattern that does not exist) play this cell.
const PatternCell emptyCell = {0, 0, 0, 0, 0};

// Multi-retrigger volume change, indexed by the high nibble of the parameter.
const float retrigAdd[16] = {0, -1, -2, -4, -8, -16, 0, 0, 0, 1, 2, 4, 8, 16, 0, 0};
const float retrigMultiply[16] = {1, 1, 1, 1, 1, 1, 2.0f / 3.0f, 0.5f, 1, 1, 1, 1, 1, 1, 1.5f, 2};

float clamp01(float v)
{
    return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v);
}
float raise(float v, float amount)
{
    return v + amount > 1.0f ? 1.0f : v + amount;
}
float lower(float v, float amount)
{
    return v - amount < 0.0f ? 0.0f : v - amount;
}

// Cells count volumes in 64ths of full volume, pannings in 255ths of the way from left to right.
const float volumeScale = 64.0f;
const float panningScale = 255.0f;

// The nibble slide of effects 5, 6, A, H and P: the high nibble raises the value by that many
// steps of the scale, else the low nibble lowers it; with both nibbles set nothing moves.
float slideByNibbles(float value, uint8_t param, float scale)
{
    uint8_t up = param >> 4;
    uint8_t down = param & 0x0F;
    if (up != 0 && down != 0)
        return value;
    return up != 0 ? raise(value, float(up) / scale) : lower(value, float(down) / scale);
}

// A step of a pitch slide: 4 linear periods (a 16th of a semitone) or 1 Amiga period.
float periodsPerSlideStep(uint32_t frequencyMode)
{
    return frequencyMode == LinearFrequencies ? 4.0f : 1.0f;
}

// E4y and E7y: the waveform in the low two bits of y; bit 2 set keeps the phase across notes.
void setWaveformControl(uint32_t& waveform, uint8_t& retrigger, uint8_t y)
{
    waveform = y & 3;
    retrigger = (y & 4) == 0 ? 1 : 0;
}

bool hasNote(const PatternCell& c)
{
    return c.note != 0;
}
bool playableNote(uint8_t note)
{
    return note >= 1 && note <= 96;
}
bool isTonePortaCell(const PatternCell& c)
{
    return c.effect == TonePorta || c.effect == TonePortaVolumeSlide || (c.volume >> 4) == 0xF;
}
bool isNoteDelayCell(const PatternCell& c)
{
    return c.effect == Extended && (c.param >> 4) == NoteDelay;
}
bool volumeEnvelopeOn(const ModuleChannel& ch)
{
    return ch.instrument && ch.instrument->volumeEnvelope.enabled;
}

// A stored nonzero parameter replaces the memory; zero reuses it.
uint8_t remember(uint8_t& memory, uint8_t value)
{
    if (value != 0)
        memory = value;
    return memory;
}

// Sets the nonzero nibbles of value into the speed/depth byte of vibrato or tremolo.
void setNibbles(uint8_t& target, uint8_t value)
{
    if (value & 0x0F)
        target = uint8_t((target & 0xF0) | (value & 0x0F));
    if (value & 0xF0)
        target = uint8_t((target & 0x0F) | (value & 0xF0));
}

float noteOf(const ModuleSample& s, uint8_t cellNote)
{
    return float(s.relativeNote) + float(cellNote) + float(s.finetune) / 128.0f - 1.0f;
}

void releaseKey(ModuleChannel& ch)
{
    ch.keyOn = 0;
    if (!volumeEnvelopeOn(ch))
        ch.volume = 0.0f;
}

}  // namespace

void ModulePlayer::refreshFrequency(ModuleChannel& ch)
{
    ch.frequency = periodFrequency(frequencyMode, ch.period, ch.arpeggioOffset, ch.vibratoDelta + ch.autoVibratoDelta);
    ch.step = sampleRate != 0 ? ch.frequency / float(sampleRate) : 0.0f;  // no output rate: voices hold
}

// Channel loops count with 32-bit indexes: the format allows up to 65535 channels.
void ModulePlayer::playTick()
{
    if (tick == 0)
        advanceRow();
    for (uint32_t i = 0; i < walkedChannels; ++i)
        stepChannel(channels[i], tick);
    tick = uint16_t(tick + 1);
    if (tick >= uint32_t(speed) + extraTicks) {
        tick = 0;
        extraTicks = 0;
    }
    // A tempo of 0 (only a corrupt header can give one) never reaches the next tick.
    framesToNextTick += bpm != 0 ? float(sampleRate) / (float(bpm) * 0.4f) : INFINITY;
}

void ModulePlayer::enterRow()
{
    row = nextRow;
    nextRow = 0;
    jumpPending = 0;
    breakPending = 0;
}

void ModulePlayer::advanceRow()
{
    if (jumpPending || breakPending) {
        if (jumpPending) {
            orderIndex = jumpOrder;
        } else {
            orderIndex = uint8_t(orderIndex + 1);
        }
        enterRow();
        if (orderIndex >= songLength)
            orderIndex = uint8_t(restartPosition);
    }

    uint8_t pattern = orderTable[orderIndex];
    const PatternSlot* slot = pattern < patternCount ? &patterns[pattern] : nullptr;
    uint32_t rowCount = slot ? slot->rowCount : missingPatternRows;
    // A row beyond its pattern (a break to a large row, a carried-over loop row, a pattern of
    // no rows) plays as an empty row; the pattern then ends after it.
    bool rowExists = slot && row < slot->rowCount;
    if (rowExists)
        walkChannelsOfRow(&slot->cells[size_t(row) * channelCount]);
    for (uint32_t i = 0; i < walkedChannels; ++i) {
        ModuleChannel& ch = channels[i];
        ch.cell = rowExists ? &slot->cells[size_t(row) * channelCount + i] : &emptyCell;
        if (isNoteDelayCell(*ch.cell)) {
            ch.noteDelay = ch.cell->param & 0x0F;
        } else {
            processCell(ch, *ch.cell);
        }
    }

    bool looping = false;
    for (uint32_t i = 0; i < walkedChannels; ++i)
        looping = looping || channels[i].loopCount != 0;
    // Order indexes at or beyond the song length have no counters: such rows are not counted
    // and rowVisits keeps its value.
    if (!looping && orderIndex < songLength) {
        uint8_t& counter = visitCounts[size_t(orderIndex) * 256 + row];
        rowVisits = counter;
        counter = uint8_t(counter + 1);
    }

    row = uint8_t(row + 1);
    if (jumpPending || breakPending)
        return;
    if (row < rowCount && row != 0)
        return;
    orderIndex = uint8_t(orderIndex + 1);
    row = nextRow;
    nextRow = 0;
    if (orderIndex >= songLength)
        orderIndex = uint8_t(restartPosition);
}

// Extends the walked channels to the last one with a non-empty cell in this row. The channels
// beyond are read as bytes from the end, eight at a time: a module may declare tens of thousands
// of channels that never play, and those must cost next to nothing.
void ModulePlayer::walkChannelsOfRow(const PatternCell* rowCells)
{
    if (walkedChannels >= channelCount)
        return;
    const uint8_t* begin = reinterpret_cast<const uint8_t*>(rowCells + walkedChannels);
    const uint8_t* end = reinterpret_cast<const uint8_t*>(rowCells + channelCount);
    while (end - begin >= 8) {
        uint64_t word;
        memcpy(&word, end - 8, sizeof(word));
        if (word != 0)
            break;
        end -= 8;
    }
    while (end > begin && end[-1] == 0)
        --end;
    if (end == begin)
        return;
    size_t last = size_t(end - 1 - reinterpret_cast<const uint8_t*>(rowCells)) / sizeof(PatternCell);
    walkedChannels = uint16_t(last + 1);
}

void ModulePlayer::triggerNote(ModuleChannel& ch, uint32_t flags)
{
    if (!(flags & TriggerKeepPosition))
        rewindVoice(ch);
    if (ch.sample) {
        if (!(flags & TriggerKeepVolume))
            ch.volume = ch.sample->volume;
        ch.panning = ch.sample->panning;
    }
    if (!(flags & TriggerKeepEnvelopes)) {
        ch.keyOn = 1;
        restartEnvelopes(ch);
    }
    ch.vibratoDelta = 0.0f;
    ch.tremoloDelta = 0.0f;
    ch.tremorMuted = 0;
    ch.autoVibratoTicks = 0;
    if (ch.vibratoRetrigger)
        ch.vibratoPos = 0;
    if (ch.tremoloRetrigger)
        ch.tremoloPos = 0;
    if (!(flags & TriggerKeepPeriod)) {
        ch.period = notePeriod(frequencyMode, ch.note);
        refreshFrequency(ch);
    }
}

void ModulePlayer::startNote(ModuleChannel& ch, const PatternCell& cell)
{
    const ModuleInstrument& ins = *ch.instrument;
    uint8_t s = ins.sampleMap[cell.note - 1];
    if (ins.sampleCount == 0 || s >= ins.sampleCount) {
        ch.volume = 0.0f;
        return;
    }
    // Capture what the old voice would have played next, for the cross-fade into the new one.
    for (uint32_t i = 0; i < crossFadeFrames; ++i)
        ch.tail[i] = fetchSample(ch);
    ch.rampIndex = 0;
    ch.sample = &ins.samples[s];
    ch.note = ch.triggeredNote = noteOf(*ch.sample, cell.note);
    triggerNote(ch, cell.instrument == 0 ? uint32_t(TriggerKeepVolume) : 0u);
}

void ModulePlayer::processCell(ModuleChannel& ch, const PatternCell& cell)
{
    bool tonePorta = isTonePortaCell(cell);

    if (cell.instrument != 0) {
        if (tonePorta && ch.instrument && ch.sample) {
            triggerNote(ch, TriggerKeepPosition | TriggerKeepPeriod);
        } else if (hasNote(cell) || !ch.sample) {
            if (cell.instrument > instrumentCount) {
                ch.volume = 0.0f;
                ch.instrument = nullptr;
                ch.sample = nullptr;
            } else {
                ch.instrument = &instruments[cell.instrument - 1];
            }
        } else {
            triggerNote(ch, TriggerKeepPosition);
        }
    }

    if (playableNote(cell.note)) {
        if (!ch.instrument) {
            ch.volume = 0.0f;
        } else if (tonePorta && ch.sample) {
            ch.note = noteOf(*ch.sample, cell.note);
            ch.tonePortaTarget = notePeriod(frequencyMode, ch.note);
        } else {
            startNote(ch, cell);
        }
    } else if (cell.note == KeyOffNote) {
        releaseKey(ch);
    }

    applyVolumeColumnFirstTick(ch, cell.volume);
    applyEffectFirstTick(ch, cell);
}

void ModulePlayer::applyVolumeColumnFirstTick(ModuleChannel& ch, uint8_t v)
{
    uint8_t x = v & 0x0F;
    if (v >= 0x10 && v <= 0x50) {  // 10..50 set volume
        ch.volume = float(v - 0x10) / volumeScale;
        return;
    }
    switch (v >> 4) {
    case 0x8: ch.volume = lower(ch.volume, float(x) / volumeScale); break;  // 8x fine volume down
    case 0x9:
        ch.volume = raise(ch.volume, float(x) / volumeScale);
        break;  // 9x fine volume up
    // Ax set vibrato speed
    case 0xA: ch.vibratoParam = uint8_t((ch.vibratoParam & 0x0F) | (x << 4)); break;
    case 0xC: ch.panning = float(17 * x) / panningScale; break;  // Cx set panning
    case 0xF:                                                    // Fx tone portamento speed
        if (x != 0)
            ch.tonePortaSpeed = uint8_t(17 * x);
        break;
    default: break;
    }
}

void ModulePlayer::applyEffectFirstTick(ModuleChannel& ch, const PatternCell& cell)
{
    uint8_t p = cell.param;
    uint8_t x = p >> 4;
    uint8_t y = p & 0x0F;
    switch (cell.effect) {
    case PortaUp: remember(ch.portaUpMemory, p); break;            // 1xx portamento up
    case PortaDown: remember(ch.portaDownMemory, p); break;        // 2xx portamento down
    case TonePorta: remember(ch.tonePortaSpeed, p); break;         // 3xx tone portamento
    case Vibrato: setNibbles(ch.vibratoParam, p); break;           // 4xy vibrato
    case TonePortaVolumeSlide:                                     // 5xy tone portamento and volume slide
    case VibratoVolumeSlide:                                       // 6xy vibrato and volume slide
    case VolumeSlide: remember(ch.volumeSlideMemory, p); break;    // Axy volume slide
    case Tremolo: setNibbles(ch.tremoloParam, p); break;           // 7xy tremolo
    case SetPanning: ch.panning = float(p) / panningScale; break;  // 8xx set panning
    case SampleOffset:                                             // 9xx sample offset
        if (ch.sample && playableNote(cell.note)) {
            // p x 256 bytes of sample data: half as many frames of 16-bit data.
            uint32_t offset = ch.sample->bits == 16 ? uint32_t(p) * 128 : uint32_t(p) * 256;
            ch.position = offset < ch.sample->length ? float(offset) : -1.0f;
        }
        break;
    case PositionJump:  // Bxx position jump
        if (p < songLength) {
            jumpPending = 1;
            jumpOrder = p;
            nextRow = 0;
        }
        break;
    case SetVolume: ch.volume = float(p < 64 ? p : 64) / volumeScale; break;  // Cxx set volume
    case PatternBreak:                                                        // Dxy pattern break
        breakPending = 1;
        nextRow = uint8_t(10 * x + y);
        break;
    case Extended: applyExtendedFirstTick(ch, cell); break;  // Exy extended effects
    case SetSpeed:                                           // Fxx set speed (below 32) or tempo
        if (p == 0)
            break;
        if (p <= 31) {
            speed = p;
        } else {
            bpm = p;
        }
        break;
    case SetGlobalVolume: globalVolume = float(p < 64 ? p : 64) / volumeScale; break;  // Gxx set global volume
    case GlobalVolumeSlide: remember(ch.globalSlideMemory, p); break;                  // Hxy global volume slide
    case SetEnvelopePosition:                                                          // Lxx set envelope position
        ch.volumeEnvelopePos = p;
        ch.panningEnvelopePos = p;
        break;
    case PanningSlide: remember(ch.panningSlideMemory, p); break;  // Pxy panning slide
    case MultiRetrigger:                                           // Rxy multi retrigger
        if (p != 0)
            ch.retrigMemory = p <= 15 ? uint8_t((ch.retrigMemory & 0xF0) | p) : p;
        break;
    case Tremor: remember(ch.tremorParam, p); break;  // Txy tremor
    case ExtraFinePorta:                              // X1y / X2y extra fine portamento
        // Extra fine slides are a quarter of fine ones (see extraFinePortamento).
        if (x == 1)
            extraFinePortamento(ch, -int(remember(ch.extraFineUpMemory, y)));
        if (x == 2)
            extraFinePortamento(ch, int(remember(ch.extraFineDownMemory, y)));
        break;
    default: break;
    }
}

void ModulePlayer::applyExtendedFirstTick(ModuleChannel& ch, const PatternCell& cell)
{
    uint8_t y = cell.param & 0x0F;
    switch (cell.param >> 4) {
    // E1y fine portamento up
    case FinePortaUp: portamento(ch, -int(remember(ch.finePortaUpMemory, y))); break;
    // E2y fine portamento down
    case FinePortaDown: portamento(ch, int(remember(ch.finePortaDownMemory, y))); break;
    // E4y vibrato waveform
    case VibratoControl: setWaveformControl(ch.vibratoWaveform, ch.vibratoRetrigger, y); break;
    case SetFinetune:  // E5y set finetune
        if (playableNote(cell.note) && ch.sample) {
            ch.note = float(ch.sample->relativeNote) + float(cell.note) + float((int(y) - 8) * 16) / 128.0f - 1.0f;
            ch.period = notePeriod(frequencyMode, ch.note);
            refreshFrequency(ch);
        }
        break;
    case PatternLoop:  // E6y pattern loop
        if (y == 0) {
            ch.loopRow = row;
            nextRow = row;
        } else if (ch.loopCount == y) {
            ch.loopCount = 0;
        } else {
            ch.loopCount = uint8_t(ch.loopCount + 1);
            jumpPending = 1;
            jumpOrder = orderIndex;
            nextRow = ch.loopRow;
        }
        break;
    // E7y tremolo waveform
    case TremoloControl: setWaveformControl(ch.tremoloWaveform, ch.tremoloRetrigger, y); break;
    // EAy fine volume up
    case FineVolumeUp: ch.volume = raise(ch.volume, float(remember(ch.fineVolumeMemory, y)) / volumeScale); break;
    // EBy fine volume down
    case FineVolumeDown: ch.volume = lower(ch.volume, float(remember(ch.fineVolumeMemory, y)) / volumeScale); break;
    case NoteDelay:  // EDy note delay
        // Reached when the delayed cell is finally processed.
        if (hasNote(cell) || cell.instrument != 0)
            break;
        if (y != 0) {
            ch.note = ch.triggeredNote;
            triggerNote(ch, TriggerKeepVolume);
        } else {
            triggerNote(ch, TriggerKeepVolume | TriggerKeepPeriod | TriggerKeepPosition);
        }
        break;
    case PatternDelay: {  // EEy pattern delay
        uint32_t ticks = uint32_t(y) * speed;
        extraTicks = uint16_t(ticks > 0xFFFF ? 0xFFFF : ticks);
        break;
    }
    default: break;
    }
}

void ModulePlayer::stepEnvelopes(ModuleChannel& ch)
{
    if (!ch.instrument)
        return;
    const ModuleInstrument& ins = *ch.instrument;
    if (ins.volumeEnvelope.enabled) {
        if (!ch.keyOn)
            ch.fadeoutVolume = lower(ch.fadeoutVolume, float(ins.fadeout) / 32768.0f);
        stepEnvelope(ins.volumeEnvelope, ch.volumeEnvelopePos, ch.envelopeVolume, ch.keyOn);
    }
    if (ins.panningEnvelope.enabled) {
        stepEnvelope(ins.panningEnvelope, ch.panningEnvelopePos, ch.envelopePanning, ch.keyOn);
    }
}

// Moves the period by delta, never below 0; there is no upper bound.
void ModulePlayer::movePeriod(ModuleChannel& ch, float delta)
{
    ch.period += delta;
    if (ch.period < 0.0f)
        ch.period = 0.0f;
    refreshFrequency(ch);
}

void ModulePlayer::portamento(ModuleChannel& ch, int amount)
{
    movePeriod(ch, float(amount) * periodsPerSlideStep(frequencyMode));
}

// X1y/X2y: extra fine slides move a quarter of a fine slide's step.
void ModulePlayer::extraFinePortamento(ModuleChannel& ch, int amount)
{
    movePeriod(ch, float(amount) * (periodsPerSlideStep(frequencyMode) / 4.0f));
}

void ModulePlayer::tonePortamento(ModuleChannel& ch)
{
    if (ch.tonePortaTarget == 0.0f || ch.tonePortaTarget == ch.period)
        return;
    float amount = float(ch.tonePortaSpeed) * periodsPerSlideStep(frequencyMode);
    if (ch.period < ch.tonePortaTarget) {
        ch.period = ch.period + amount > ch.tonePortaTarget ? ch.tonePortaTarget : ch.period + amount;
    } else {
        ch.period = ch.period - amount < ch.tonePortaTarget ? ch.tonePortaTarget : ch.period - amount;
    }
    refreshFrequency(ch);
}

void ModulePlayer::vibrato(ModuleChannel& ch, uint8_t param)
{
    ch.vibratoPos = uint16_t(ch.vibratoPos + (param >> 4));
    ch.vibratoDelta = waveform(int32_t(ch.vibratoWaveform), ch.vibratoPos) * -2.0f * float(param & 0x0F) / 15.0f;
    refreshFrequency(ch);
}

void ModulePlayer::slideVolume(ModuleChannel& ch, uint8_t param)
{
    ch.volume = slideByNibbles(ch.volume, param, volumeScale);
}

void ModulePlayer::slidePanning(ModuleChannel& ch, uint8_t param)
{
    ch.panning = slideByNibbles(ch.panning, param, panningScale);
}

void ModulePlayer::stepChannel(ModuleChannel& ch, int t)
{
    const PatternCell& cell = ch.cell ? *ch.cell : emptyCell;

    stepEnvelopes(ch);

    // Instrument vibrato.
    if (ch.instrument && ch.instrument->vibratoDepth != 0) {
        const ModuleInstrument& ins = *ch.instrument;
        uint32_t n = ch.autoVibratoTicks;
        ch.autoVibratoTicks = uint16_t(ch.autoVibratoTicks + 1);
        float sweep = n < ins.vibratoSweep ? float(n) / float(ins.vibratoSweep) : 1.0f;
        ch.autoVibratoDelta =
            waveform(ins.vibratoType, (n * ins.vibratoRate) >> 2) * 0.25f * float(ins.vibratoDepth) / 15.0f * sweep;
        refreshFrequency(ch);
    } else if (ch.autoVibratoDelta != 0.0f) {
        ch.autoVibratoDelta = 0.0f;
        refreshFrequency(ch);
    }

    // An arpeggio or vibrato ends on the first tick whose cell no longer asks for it.
    if (ch.arpeggioActive && (cell.effect != Arpeggio || cell.param == 0)) {
        ch.arpeggioActive = 0;
        ch.arpeggioOffset = 0;
        refreshFrequency(ch);
    }
    if (ch.vibratoActive && cell.effect != Vibrato && cell.effect != VibratoVolumeSlide && (cell.volume >> 4) != 0xB) {
        ch.vibratoActive = 0;
        ch.vibratoDelta = 0.0f;
        refreshFrequency(ch);
    }

    if (t > 0)
        applyVolumeColumnTick(ch, cell.volume);
    applyEffectTick(ch, cell, t);
    computeGains(ch);
}

void ModulePlayer::applyVolumeColumnTick(ModuleChannel& ch, uint8_t v)
{
    float x = float(v & 0x0F);
    switch (v >> 4) {
    case 0x6: ch.volume = lower(ch.volume, x / volumeScale); break;  // 6x volume slide down
    case 0x7: ch.volume = raise(ch.volume, x / volumeScale); break;  // 7x volume slide up
    case 0xB:                                                        // Bx vibrato
        ch.vibratoActive = 0;
        vibrato(ch, ch.vibratoParam);
        break;
    case 0xD: ch.panning = lower(ch.panning, x / panningScale); break;  // Dx panning slide left
    case 0xE: ch.panning = raise(ch.panning, x / panningScale); break;  // Ex panning slide right
    case 0xF: tonePortamento(ch); break;                                // Fx tone portamento
    default: break;
    }
}

namespace {

// 7xy tremolo: offsets the volume by the waveform, one step of the speed per tick.
void tremoloTick(ModuleChannel& ch)
{
    uint32_t n = ch.tremoloPos;
    ch.tremoloPos = uint8_t(ch.tremoloPos + 1);
    ch.tremoloDelta =
        -waveform(int32_t(ch.tremoloWaveform), n * (ch.tremoloParam >> 4)) * float(ch.tremoloParam & 0x0F) / 15.0f;
}

// Txy tremor: sounds for x + 1 ticks, then is muted for y + 1, from the row's second tick on.
void tremorTick(ModuleChannel& ch, int t)
{
    int on = ch.tremorParam >> 4;
    int off = ch.tremorParam & 0x0F;
    ch.tremorMuted = ((t - 1) % (on + off + 2)) > on ? 1 : 0;
}

}  // namespace

// 0xy arpeggio: cycles the pitch through the note, x and y semitones up, counted back from the
// row's end; the row's first tick plays the note itself.
void ModulePlayer::arpeggioTick(ModuleChannel& ch, uint8_t p, int t)
{
    if (p == 0)
        return;
    int k = t > 0 ? ((int(speed) - t) % 3 + 3) % 3 : 0;
    ch.arpeggioOffset = k == 0 ? 0 : (k == 1 ? p >> 4 : p & 0x0F);
    ch.arpeggioActive = k != 0 ? 1 : 0;
    refreshFrequency(ch);
}

// 4xy vibrato (and 6xy): vibrates with the remembered speed and depth, and keeps the vibrato
// from being ended on the next tick.
void ModulePlayer::keepVibrating(ModuleChannel& ch)
{
    ch.vibratoActive = 1;
    vibrato(ch, ch.vibratoParam);
}

// Rxy multi retrigger: restarts the sample every y ticks, keeping volume and envelopes, and
// changes the volume by the rule of x.
void ModulePlayer::multiRetriggerTick(ModuleChannel& ch, const PatternCell& cell, int t)
{
    int interval = ch.retrigMemory & 0x0F;
    if (interval == 0 || t % interval != 0)
        return;
    triggerNote(ch, TriggerKeepVolume | TriggerKeepEnvelopes);
    // The volume change needs an instrument to ask about its envelope; without one it is
    // skipped.
    if (cell.volume == 0 && ch.instrument && !ch.instrument->volumeEnvelope.enabled) {
        int r = ch.retrigMemory >> 4;
        ch.volume = clamp01(retrigMultiply[r] * ch.volume + retrigAdd[r] / volumeScale);
    }
}

// E9y retrigger, ECy note cut and EDy note delay: each acts on the ticks its y names.
void ModulePlayer::applyExtendedTick(ModuleChannel& ch, const PatternCell& cell, int t)
{
    int y = cell.param & 0x0F;
    switch (cell.param >> 4) {
    case Retrigger:  // E9y retrigger: every y-th tick after the first
        if (t > 0 && y != 0 && t % y == 0) {
            triggerNote(ch, TriggerKeepVolume);
            stepEnvelopes(ch);
        }
        break;
    case NoteCut:  // ECy note cut: on tick y
        if (t == y)
            ch.volume = 0.0f;
        break;
    case NoteDelay:  // EDy note delay: the cell is processed on its tick
        if (t == ch.noteDelay) {
            processCell(ch, cell);
            stepEnvelopes(ch);
        }
        break;
    default: break;
    }
}

// The effects that act on every tick of the row but the first.
void ModulePlayer::applyLaterTickEffect(ModuleChannel& ch, const PatternCell& cell, int t)
{
    switch (cell.effect) {
    case PortaUp: portamento(ch, -int(ch.portaUpMemory)); break;     // 1xx portamento up
    case PortaDown: portamento(ch, int(ch.portaDownMemory)); break;  // 2xx portamento down
    case TonePorta: tonePortamento(ch); break;                       // 3xx tone portamento
    case Vibrato: keepVibrating(ch); break;                          // 4xy vibrato
    case TonePortaVolumeSlide:                                       // 5xy tone portamento and volume slide
        tonePortamento(ch);
        slideVolume(ch, ch.volumeSlideMemory);
        break;
    case VibratoVolumeSlide:  // 6xy vibrato and volume slide
        keepVibrating(ch);
        slideVolume(ch, ch.volumeSlideMemory);
        break;
    case Tremolo: tremoloTick(ch); break;  // 7xy tremolo
    case VolumeSlide:
        slideVolume(ch, ch.volumeSlideMemory);
        break;  // Axy volume slide
    // Hxy global volume slide
    case GlobalVolumeSlide: globalVolume = slideByNibbles(globalVolume, ch.globalSlideMemory, volumeScale); break;
    case PanningSlide: slidePanning(ch, ch.panningSlideMemory); break;  // Pxy panning slide
    case MultiRetrigger: multiRetriggerTick(ch, cell, t); break;        // Rxy multi retrigger
    case Tremor: tremorTick(ch, t); break;                              // Txy tremor
    default: break;
    }
}

// The effect column on tick t of the row (the row's first tick is 0). Arpeggio, key off and the
// extended effects may act on the first tick too; every other effect waits for the next.
void ModulePlayer::applyEffectTick(ModuleChannel& ch, const PatternCell& cell, int t)
{
    switch (cell.effect) {
    case Arpeggio: arpeggioTick(ch, cell.param, t); break;  // 0xy arpeggio
    case KeyOff:                                            // Kxx key off, on tick xx
        if (t == cell.param)
            releaseKey(ch);
        break;
    case Extended: applyExtendedTick(ch, cell, t); break;  // E9y, ECy, EDy
    default:
        if (t > 0)
            applyLaterTickEffect(ch, cell, t);
        break;
    }
}

void ModulePlayer::computeGains(ModuleChannel& ch)
{
    float pan = ch.panning + (0.5f - std::fabs(ch.panning - 0.5f)) * (ch.envelopePanning - 0.5f) * 2.0f;
    // A panning envelope point above 64 would push pan past 1; the square roots need 0..1.
    pan = clamp01(pan);
    float level = ch.tremorMuted ? 0.0f : clamp01(ch.volume + ch.tremoloDelta) * ch.envelopeVolume * ch.fadeoutVolume;
    ch.targetLeft = std::sqrt(1.0f - pan) * level;
    ch.targetRight = std::sqrt(pan) * level;
}

}  // namespace Nimbra
