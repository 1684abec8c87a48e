#pragma once
// Where a voice starts: what a note trigger resets, and what a channel that has played nothing
// holds. The loader's fresh channels and the replayer's triggers both start from here.
#include "audio/ModulePlayer.h"

namespace Nimbra {

// Back to the start of the sample, playing forward.
inline void rewindVoice(ModuleChannel& ch)
{
    ch.position = 0.0f;
    ch.forward = 1;
}

// The envelopes at their first tick, with the values a disabled envelope keeps: full volume,
// no fade yet, the pan at the centre.
inline void restartEnvelopes(ModuleChannel& ch)
{
    ch.envelopeVolume = 1.0f;
    ch.fadeoutVolume = 1.0f;
    ch.envelopePanning = 0.5f;
    ch.volumeEnvelopePos = 0;
    ch.panningEnvelopePos = 0;
}

// A channel that has played nothing yet, in a zeroed record: full volume at the centre, no key
// held, and vibrato and tremolo that restart with every note.
inline void initChannel(ModuleChannel& ch)
{
    rewindVoice(ch);
    restartEnvelopes(ch);
    ch.volume = 1.0f;
    ch.panning = 0.5f;
    ch.vibratoRetrigger = 1;
    ch.tremoloRetrigger = 1;
}

}  // namespace Nimbra
