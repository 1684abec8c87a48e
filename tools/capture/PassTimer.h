#pragma once
// GPU time between marks within a frame, from Direct3D 11 timestamp queries. A frame opens a
// disjoint query, each mark writes a timestamp, and the frame's results are read back (waiting
// for the GPU) when the frame is closed; the spans are summed per mark for an average.
#include <d3d11.h>

#include <cstdint>
#include <vector>

namespace Nimbra {

class PassTimer
{
public:
    // `spans` intervals per frame need spans + 1 marks.
    PassTimer(ID3D11Device* device, ID3D11DeviceContext* context, uint32_t spans);
    ~PassTimer();
    PassTimer(const PassTimer&) = delete;
    PassTimer& operator=(const PassTimer&) = delete;

    void beginFrame();
    void mark(uint32_t index);  // 0 .. spans
    void endFrame();
    // Waits for the last frame's queries and adds its spans to the totals; a frame that the
    // driver reports as disjoint (its clock changed meanwhile) is left out.
    void collect();

    uint32_t frames() const { return framesCounted; }
    // Mean milliseconds of span `index` over the counted frames.
    double averageMilliseconds(uint32_t index) const;
    double averageFrameMilliseconds() const;

private:
    ID3D11DeviceContext* context;
    ID3D11Query* disjoint = nullptr;
    std::vector<ID3D11Query*> stamps;
    std::vector<double> totals;
    uint32_t framesCounted = 0;
};

}  // namespace Nimbra
