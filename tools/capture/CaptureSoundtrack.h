#pragma once
#include <string>

namespace Nimbra {

// Renders the embedded song offline, exactly as the audio stream does (44,100 Hz, one
// play-through), and writes the span from `fromSeconds` to `toSeconds` as a float WAV. The song
// is rendered from its start, so the span sounds as it does at that point of the demo. The file
// appears under its name only once it is whole.
bool writeSoundtrack(const std::string& path, double fromSeconds, double toSeconds);

}  // namespace Nimbra
