#pragma once
// The choreography: every key of the 64 curves, on a grid of 125 BPM and 8 rows per beat.

#include "core/Timeline.h"

#include <cstdint>

namespace Nimbra {

constexpr float contentBpm = 125.0f;
constexpr uint32_t contentRowsPerBeat = 8;
constexpr uint32_t contentKeyCount = 4154;

// Pushes every key onto its curve, in curve order and then row order. The timeline's curves
// are expected to be resized to contentVariableCount already; curves beyond its count are skipped.
void appendContentKeys(Timeline& timeline);

// What the content sets up in a timeline apart from the player and its objects: the tempo, 64
// curves and all their keys. Used by the tools and tests that need the shipped choreography.
void loadContentTimeline(Timeline& timeline);

}  // namespace Nimbra
