#include "app/ShippedEdits.h"

#include "app/ContentEdits.h"
#include "content/animation/ContentKeys.h"
#include "content/animation/ShippedEditFiles.h"

namespace Nimbra {

uint32_t applyShippedEdits(Timeline& timeline)
{
    uint32_t applied = 0;
    for (uint32_t i = 0; i < shippedEditFileCount; ++i) {
        const ShippedEditFile& file = shippedEditFiles[i];
        Sync::RocketDocument document;
        Sync::FileError error;
        if (!readContentEdits(reinterpret_cast<const char*>(file.data), *file.size, document, error))
            continue;
        applyContentEdits(timeline, document);
        ++applied;
    }
    return applied;
}

void loadShippedTimeline(Timeline& timeline)
{
    loadContentTimeline(timeline);
    applyShippedEdits(timeline);
}

}  // namespace Nimbra
