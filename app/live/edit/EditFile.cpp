#include "app/live/edit/EditFile.h"

#include "app/BoundedRead.h"
#include "app/ContentEdits.h"
#include "app/FilePaths.h"

#include <cstdio>

namespace Nimbra::Edit {

namespace {

std::string placed(const std::string& path, uint32_t line, const std::string& message)
{
    return line ? path + ":" + std::to_string(line) + ": " + message : path + ": " + message;
}

}  // namespace

bool saveKeys(EditModel& model, const std::string& path, std::string& error)
{
    if (!writeContentEdits(model.timeline(), path.c_str(), error))
        return false;
    model.markSaved();
    return true;
}

bool loadKeys(Timeline& timeline, const std::string& path, std::string& error, std::vector<std::string>& warnings)
{
    std::string text, why;
    if (!readFileUpTo(path, maxKeysFileSize, text, why)) {
        error = placed(path, 0, why);
        return false;
    }
    Sync::RocketDocument document;
    Sync::FileError fault;
    if (!readContentEdits(text.data(), text.size(), document, fault)) {
        error = placed(path, fault.line, fault.message);
        return false;
    }
    for (const Sync::FileError& warning : contentEditWarnings(document))
        warnings.push_back(placed(path, warning.line, warning.message));
    applyContentEdits(timeline, document);
    return true;
}

}  // namespace Nimbra::Edit
