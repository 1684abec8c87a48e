#pragma once
// Edits made in a sync editor and saved to its file: each track names a content variable, and
// its keys replace that variable's curve.

#include "core/Timeline.h"
#include "sync/RocketFile.h"

#include <cstddef>
#include <cstdint>

namespace Nimbra {

// The index of the content variable called `name`, or contentVariableCount when there is none.
uint32_t contentVariableIndex(const char* name);

// Reads an editor file and checks that every track names a content variable. On failure
// `error` holds the line and the reason.
bool readContentEdits(const char* text, size_t size, Sync::RocketDocument& document, Sync::RocketError& error);

// Replaces the keys of each curve that a track of `document` names (a track without keys
// empties its curve). Tracks that name no content variable, or a curve the timeline does not
// have, are left out.
void applyContentEdits(Timeline& timeline, const Sync::RocketDocument& document);

} // namespace Nimbra
