#pragma once
// Notes, periods and playback frequencies in the two frequency modes of the format.
#include <cstdint>

namespace Nimbra {

const uint32_t LinearFrequencies = 0;
const uint32_t AmigaFrequencies = 1;

// note is fractional: cell note + relative note + finetune / 128 - 1 (cell note 49 is note 48).
float notePeriod(uint32_t mode, float note);

// Playback frequency in Hz of a period raised by arpeggio semitones, with the vibrato offset
// delta (subtracted from the period in linear mode, added in Amiga mode).
float periodFrequency(uint32_t mode, float period, int arpeggio, float delta);

}  // namespace Nimbra
