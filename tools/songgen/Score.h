#pragma once
// The readable score (content/song/score.txt) and its expansion into XM patterns.
//
//   name TEXT                      the song's name
//   channels NAME...               the channel names, in channel order
//   speed N / tempo N / restart N  module header values
//   phrase NAME INSTRUMENT [step N]
//       TOKENS...                  one token per step (rows; default 2)
//   chords NAME INSTRUMENT [step N]
//       CHORDS...                  a chord symbol (Am, F, Dm7, Fmaj7, E, Esus4...) per step,
//                                  voiced for three channels: NAME.1, NAME.2, NAME.3
//   arp NAME INSTRUMENT [step N] [octave N] shape I...
//       CHORDS...                  plays the chord tones I (0 root, 1 third, 2 fifth, 3 seventh
//                                  or octave, 4 and up the next octave) in turn
//   pattern NAME ROWS
//       CHANNEL PHRASE [@ROW] [+N|-N] [%VOLUME] [xCOUNT]
//   order PATTERN...
//
// Tokens: "." nothing, "^" key off, "x" the instrument's own note, a note (C-4, C#4, Bb3), each optionally followed
// by ":instrument", "vHH" (hex volume column 00..40) and "~EPP" (effect letter, hex parameter). "TOKEN*N" holds a
// token for N steps, its effect on every row. In chord and arpeggio lines "." continues the chord, "-" rests.
// "|" is only a visual bar line.
#include "tools/common/XmWriter.h"
#include "tools/songgen/Instruments.h"

#include <string>
#include <vector>

namespace Nimbra::SongGen {

// Reads the score and builds the whole module with the given instruments. On a fault in the
// score returns false with a message naming the line.
bool buildSongFromScore(const std::string& scoreText, std::vector<InstrumentVoice> instruments, XmModule& module,
                        std::string& error);

}  // namespace Nimbra::SongGen
