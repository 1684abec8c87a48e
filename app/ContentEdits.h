#pragma once
// Edits made in a sync editor and saved to its file: each track names a content variable, and
// its keys replace that variable's curve.

#include "content/animation/ContentVariables.h"
#include "core/Timeline.h"
#include "sync/RocketFile.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Nimbra {

// Reads an editor file and checks that every track names a content variable. On failure
// `error` holds the line and the reason.
bool readContentEdits(const char* text, size_t size, Sync::RocketDocument& document, Sync::FileError& error);

// Where the demo plays otherwise than the editor showed, each with its line: a muted track (a mute is a working aid:
// the demo plays its keys), or beatsPerMin/rowsPerBeat other than 125 and 8 (the rows then land at other times).
std::vector<Sync::FileError> contentEditWarnings(const Sync::RocketDocument& document);

// Replaces the keys of each curve that a track of `document` names (a track without keys
// empties its curve). Tracks that name no content variable, or a curve the timeline does not
// have, are left out.
void applyContentEdits(Timeline& timeline, const Sync::RocketDocument& document);

// Writes every curve as an editor file at `path`, one track per content variable, whole or not at all
// (writeWholeFile): a failed save leaves the old file as it was. On failure `error` says why: the file could not be
// made, written or put in place, or a key cannot be saved.
bool writeContentEdits(const Timeline& timeline, const char* path, std::string& error);

}  // namespace Nimbra
