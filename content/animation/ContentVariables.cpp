#include "content/animation/ContentVariables.h"

#include <cstring>

namespace Nimbra {

// Registration order: the index is the variable's place in the shaders' variable block and
// the index of the curve that drives it. The names are spelled as the shaders spell them.
const ContentVariable contentVariables[contentVariableCount] = {
    {"CameraPosX", 0.0f},
    {"CameraPosY", 0.0f},
    {"CameraPosZ", 0.0f},
    {"CameraDirX", 0.0f},
    {"CameraDirY", 0.0f},
    {"CameraDirZ", 0.0f},
    {"CameraFOV", 0.0f},
    {"CameraRoll", 0.0f},
    {"WEIGHTSTNY", 0.001f},
    {"BLRSTRENGHT", 4.0f},
    {"FCSRANGE", 0.4f},
    {"KRNSIZE", 8.0f},
    {"FOCALDIST", -3.0f},
    {"FRAME", 0.0f},
    {"DOFBLUR", 0.0f},
    {"GLITCH", 0.0f},
    {"RSPEEDX", 1.4f},
    {"RSPEEDY", 2.2f},
    {"RSPEEDZ", 0.8f},
    {"WAVEAMP", 0.15f},
    {"BRUS", 0.35f},
    {"BLANKOUT", 0.0f},
    {"INTERLACE", 0.0f},
    {"L1_X_OFFSET", 0.0f},
    {"L1_Y_OFFSET", 0.0f},
    {"L1_Z_OFFSET", 0.0f},
    {"L1_ROT_X", 0.0f},
    {"L1_ROT_Y", 0.0f},
    {"L1_ROT_Z", 0.0f},
    {"L1_MIRROR_X", 0.0f},
    {"L1_MIRROR_Y", 0.0f},
    {"L1_FRAMECOUNT", 0.0f},
    {"L1_START", 0.0f},
    {"L1_MANUAL_OR", 0.0f},
    {"L1_FRAME", 0.0f},
    {"L1_FPS", 0.0f},
    {"L1_COL", 0.0f},
    {"L1TEXT_R", 0.0f},
    {"L1TEXT_G", 0.0f},
    {"L1TEXT_B", 0.0f},
    {"L1TEXT_A", 0.0f},
    {"FRAMEMANUALOVERRIDE", 0.0f},
    {"PTRNLNGHT", 728000.0f},
    {"L1_ROW_X_OFFSET", 0.0f},
    {"FLAT_L1_FRAME", 0.0f},
    {"FLAT_L2_FRAME", 0.0f},
    {"FLAT_L3_FRAME", 0.0f},
    {"FLAT_L4_FRAME", 0.0f},
    {"FLAT_L1_X_OFFSET", 0.0f},
    {"FLAT_L2_X_OFFSET", 0.0f},
    {"FLAT_L3_X_OFFSET", 0.0f},
    {"FLAT_L4_X_OFFSET", 0.0f},
    {"FLAT_L1_Y_OFFSET", 0.0f},
    {"FLAT_L2_Y_OFFSET", 0.0f},
    {"FLAT_L3_Y_OFFSET", 0.0f},
    {"FLAT_L4_Y_OFFSET", 0.0f},
    {"SCROLLERMAXBLUR", 0.0f},
    {"FLAT_L1_Z_OFFSET", 0.0f},
    {"FLAT_L2_Z_OFFSET", 0.0f},
    {"FLAT_L3_Z_OFFSET", 0.0f},
    {"FLAT_L4_Z_OFFSET", 0.0f},
    {"POST", 0.0f},
    {"NEGT", 0.0f},
    {"LNWIDHT", 0.0f},
};

const char* const* contentVariableNames()
{
    struct Names {
        const char* at[contentVariableCount];
    };
    static const Names names = [] {
        Names made = {};
        for (uint32_t i = 0; i < contentVariableCount; ++i)
            made.at[i] = contentVariables[i].name;
        return made;
    }();
    return names.at;
}

uint32_t contentVariableIndex(const char* name)
{
    for (uint32_t i = 0; i < contentVariableCount; ++i) {
        if (std::strcmp(contentVariables[i].name, name) == 0)
            return i;
    }
    return contentVariableCount;
}

}  // namespace Nimbra
