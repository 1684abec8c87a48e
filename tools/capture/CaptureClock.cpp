#include "tools/capture/CaptureClock.h"

namespace Nimbra {

CaptureClock::CaptureClock(const CaptureOptions& options)
    : options(options), frames(options.mode == CaptureMode::Constants ? 1 : captureFrameCount(options))
{
    // The constants are those of a single first frame at their time.
    if (options.mode == CaptureMode::Constants)
        this->options.from = options.constantsTime;
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
    return captureFrameTime(options, current);
}

bool CaptureClock::finished(float) const
{
    return current >= frames;
}

} // namespace Nimbra
