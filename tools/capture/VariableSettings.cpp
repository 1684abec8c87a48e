#include "tools/capture/VariableSettings.h"

#include "core/Timeline.h"

namespace Nimbra {

void holdVariables(Timeline& timeline, const std::vector<VariableSetting>& settings)
{
    for (const VariableSetting& setting : settings) {
        if (setting.index >= timeline.curves.count)
            continue;
        GrowArray<Keyframe>& keys = timeline.curves.at(setting.index)->keys;
        keys.release();
        keys.push(Keyframe{0, setting.value, static_cast<int32_t>(KeyInterpolation::Step)});
    }
}

}  // namespace Nimbra
