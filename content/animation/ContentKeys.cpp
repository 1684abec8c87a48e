#include "content/animation/ContentKeys.h"

#include "content/animation/BeatPatterns.h"
#include "content/animation/ContentVariables.h"
#include "content/animation/LiteralKeys.h"

namespace Nimbra {

namespace {

// Curves whose keys follow a rule rather than a list.
void generateCurve(uint32_t curve, GrowArray<Keyframe>& keys)
{
    switch (curve) {
    case 15: appendGlitchKeys(keys); break;                                // GLITCH
    case 16: appendRotationSpeedKeys(keys, rotationSpeedX); break;         // RSPEEDX
    case 17: appendRotationSpeedKeys(keys, rotationSpeedY); break;         // RSPEEDY
    case 18: appendRotationSpeedKeys(keys, rotationSpeedZ); break;         // RSPEEDZ
    case 20: appendBrightnessKeys(keys); break;                            // BRUS
    case 22: appendInterlaceKeys(keys); break;                             // INTERLACE
    case 23: appendLayerSweepKeys(keys, -5000.0f, 157.0f, 205.0f); break;  // L1_X_OFFSET
    case 24: appendLayerSweepKeys(keys, -250.0f, -519.0f, 147.3f); break;  // L1_Y_OFFSET
    case 25: appendLayerSweepKeys(keys, 0.0f, 67.0f, -75.0f); break;       // L1_Z_OFFSET
    case 47: appendLayer4FrameKeys(keys); break;                           // FLAT_L4_FRAME
    case 61: appendStrobeKeys(keys, false); break;                         // POST
    case 62: appendStrobeKeys(keys, true); break;                          // NEGT
    default: break;
    }
}

}  // namespace

void appendContentKeys(Timeline& timeline)
{
    // A timeline with fewer curves gets the keys of the curves it has.
    const uint32_t curves = timeline.curves.count < contentVariableCount ? timeline.curves.count : contentVariableCount;
    uint32_t literal = 0;
    for (uint32_t curve = 0; curve < curves; ++curve) {
        GrowArray<Keyframe>& keys = timeline.curves.at(curve)->keys;
        for (; literal < literalKeyCount && literalKeys[literal].curve == curve; ++literal) {
            const LiteralKey& key = literalKeys[literal];
            keys.push(Keyframe{key.row, key.value, key.interpolation});
        }
        generateCurve(curve, keys);
    }
}

void loadContentTimeline(Timeline& timeline)
{
    timeline.bpm = contentBpm;
    timeline.rowsPerBeat = contentRowsPerBeat;
    timeline.curves.resize(contentVariableCount);
    appendContentKeys(timeline);
}

}  // namespace Nimbra
