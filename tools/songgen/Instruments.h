#pragma once
// The song's twenty instruments, synthesised from scratch: drums, basses, pads, leads and effects.
#include "tools/common/XmWriter.h"

#include <string>
#include <vector>

namespace Nimbra::SongGen {

struct InstrumentVoice {
    std::string name;     // the score's name for it
    uint8_t defaultNote;  // the note an "x" in the score plays
    XmInstrument instrument;
};

// In the order of their instrument numbers (1-based in the file).
std::vector<InstrumentVoice> buildInstruments();

}  // namespace Nimbra::SongGen
