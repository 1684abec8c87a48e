#pragma once
// demo.exe's time when the sound device stops counting (unplugged, or the system moving the
// stream to another device, whose count begins anew): once the stream's count has not moved for
// kStallUs, the time goes on by the performance counter from the last time shown, and the device
// is tried again at once and then every kDeviceRetryUs. When a device counts again the time
// follows it, holding rather than going back. Nothing is bridged before the count has first
// moved: without a device, or with one that never starts, the time stays at 0.
#include <cstdint>

namespace Nimbra {

constexpr uint64_t kStallUs = 500000;
constexpr uint64_t kDeviceRetryUs = 1000000;

class StallBridge
{
public:
    // The frames to show this turn, given the stream's count of frames played (which never
    // falls) at `nowUs` on the counter. Never fewer than the last turn's.
    uint32_t frames(uint32_t played, uint64_t nowUs);
    // True when this turn is to try the device again; the caller then reports the stream's
    // count right after the try, where a new device starts counting.
    bool retryDue(uint64_t nowUs) const { return bridging && nowUs >= nextRetryUs; }
    void retried(uint32_t played, uint64_t nowUs);

private:
    uint32_t shown = 0;
    uint32_t lastPlayed = 0;
    uint64_t movedAtUs = 0;
    bool everMoved = false;
    bool bridging = false;
    uint32_t bridgedFrom = 0;  // the time shown when the count stopped
    uint64_t bridgedAtUs = 0;
    uint64_t nextRetryUs = 0;
    uint32_t retriedAt = 0;  // the count right after the last try
};

}  // namespace Nimbra
