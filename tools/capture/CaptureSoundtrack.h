#pragma once
#include <string>

namespace Nimbra {

// Renders the embedded song offline from its start, as the audio stream does (44,100 Hz, one play-through), and
// writes fromSeconds..toSeconds as a float WAV. The file appears under its name only once it is whole.
bool writeSoundtrack(const std::string& path, double fromSeconds, double toSeconds);

}  // namespace Nimbra
