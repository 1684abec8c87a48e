#pragma once
// The content timeline as the programs play it: the built-in keys, then the sync editor files
// shipped in content/animation, whose tracks replace the curves of the same names.

#include "core/Timeline.h"

#include <cstdint>

namespace Nimbra {

// Applies every shipped editor file in turn (a file that does not read is left out whole; the
// host build has refused such a file already). Returns how many were applied.
uint32_t applyShippedEdits(Timeline& timeline);

// loadContentTimeline, then applyShippedEdits: for the tools and tests that need the
// choreography as the demo plays it.
void loadShippedTimeline(Timeline& timeline);

}  // namespace Nimbra
