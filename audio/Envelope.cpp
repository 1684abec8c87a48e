#include "audio/Envelope.h"

#include "audio/ModulePlayer.h"

namespace Nimbra {

namespace {
const int maxPoints = 12;

int clampPoint(int index, int count)
{
    return index < count ? index : count - 1;
}
}  // namespace

void stepEnvelope(const ModuleEnvelope& envelope, uint16_t& pos, float& value, uint8_t keyOn)
{
    int count = envelope.pointCount < maxPoints ? envelope.pointCount : maxPoints;
    const EnvelopePoint* points = envelope.points;
    if (count == 0)
        return;
    if (count == 1) {
        float v = float(points[0].y) / 64.0f;
        value = v < 1.0f ? v : 1.0f;
        return;
    }
    if (envelope.loopEnabled) {
        // The loader keeps loop points below the count; a hand-made record is clamped here too.
        uint16_t loopEndX = points[clampPoint(envelope.loopEnd, count)].x;
        uint16_t loopStartX = points[clampPoint(envelope.loopStart, count)].x;
        if (pos >= loopEndX)
            pos = uint16_t(loopStartX + pos - loopEndX);
    }

    int segment = count - 2;
    if (count > 2) {
        for (int i = 0; i <= count - 3; ++i) {
            if (points[i].x <= pos && pos <= points[i + 1].x) {
                segment = i;
                break;
            }
        }
    }
    const EnvelopePoint& a = points[segment];
    const EnvelopePoint& b = points[segment + 1];
    float y;
    if (pos <= a.x) {
        y = float(a.y);
    } else if (pos >= b.x) {
        y = float(b.y);
    } else {
        y = float(a.y) + float(int(b.y) - int(a.y)) * float(pos - a.x) / float(b.x - a.x);
    }
    value = y / 64.0f;

    // A sustain point at or beyond the point count does not exist: the envelope never holds.
    bool holding =
        keyOn && envelope.sustainEnabled && envelope.sustainPoint < count && pos == points[envelope.sustainPoint].x;
    if (!holding)
        pos = uint16_t(pos + 1);
}

}  // namespace Nimbra
