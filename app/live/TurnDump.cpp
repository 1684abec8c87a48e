#include "app/live/TurnDump.h"

#include "app/FilePaths.h"
#include "content/animation/ContentVariables.h"

#include <cstdio>
#include <filesystem>

namespace Nimbra {

void writeTurnDump(const std::string& path, const TurnState& state, const Timeline& timeline)
{
    const std::string partial = path + ".part";
    FILE* file = openFile(partial.c_str(), "wb");
    if (!file)
        return;
    std::fprintf(file, "time %.9g\nrow %u\nmusic %u\nplaying %d\nlinked %d\ntyping %d\nunsaved %d\n",
                 double(state.seconds), state.row, state.musicFrame, state.playing ? 1 : 0, state.linked ? 1 : 0,
                 state.typing ? 1 : 0, state.unsaved ? 1 : 0);
    for (uint32_t i = 0; i < timeline.curves.count && i < contentVariableCount; ++i)
        std::fprintf(file, "%s %.9g\n", contentVariables[i].name, double(evaluateCurve(timeline, i, state.seconds)));
    std::fclose(file);
    std::error_code error;  // replaces the last dump (MoveFileEx on Windows)
    std::filesystem::rename(pathFromUtf8(partial), pathFromUtf8(path), error);
}

}  // namespace Nimbra
