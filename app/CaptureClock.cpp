#include "app/CaptureClock.h"

#include "app/AudioClock.h"

namespace Nimbra {

uint32_t fixedStepFrameCount(double from, double to, double fps)
{
    // Compared in single precision, as the frame loop compares its clock with the end.
    const float end = static_cast<float>(to) < presentationEndSeconds ? static_cast<float>(to) : presentationEndSeconds;
    uint32_t count = 0;
    while (fixedStepFrameTime(from, fps, count) < end)
        ++count;
    return count == 0 ? 1 : count;
}

float fixedStepFrameTime(double from, double fps, uint32_t index)
{
    return static_cast<float>(from + static_cast<double>(index) / fps);
}

CaptureClock::CaptureClock(double from, double to, double fps)
    : from(from), fps(fps), frames(fixedStepFrameCount(from, to, fps))
{
}

double CaptureClock::soundEnd() const
{
    return from + frames / fps;
}

void CaptureClock::start()
{
    next = 0;
}

void CaptureClock::turnStart()
{
    current = next++;
}

float CaptureClock::seconds()
{
    return fixedStepFrameTime(from, fps, current);
}

bool CaptureClock::finished(float) const
{
    return current >= frames;
}

}  // namespace Nimbra
