#pragma once
// The editor's keys on disk: saved as the editors' XML file (the shape `timeline-dump rocket` writes, which every
// editor opens), whole or not at all, and read back with the content's own reader (`--keys FILE`).
#include "app/live/edit/EditModel.h"
#include "core/Timeline.h"

#include <string>
#include <vector>

namespace Nimbra::Edit {

// Writes every curve of the model's timeline to `path` (writeContentEdits); a failed save leaves the old file as it
// was. After a save the keys count as saved.
bool saveKeys(EditModel& model, const std::string& path, std::string& error);

// Reads the editor file at `path` (at most maxKeysFileSize bytes) and applies its tracks over `timeline`'s curves;
// the curves no track names keep their keys. False when the file cannot be read or is not the content's edits: the
// timeline is untouched and `error` reads "PATH:LINE: REASON" ("PATH: REASON" where the fault has no line).
// `warnings` gets, in the same form, where the demo plays otherwise than the editor showed.
bool loadKeys(Timeline& timeline, const std::string& path, std::string& error, std::vector<std::string>& warnings);

// More than 64 full tracks of keys written at their longest.
constexpr uint64_t maxKeysFileSize = uint64_t(512) << 20;

}  // namespace Nimbra::Edit
