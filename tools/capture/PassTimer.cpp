#include "tools/capture/PassTimer.h"

namespace Nimbra {

PassTimer::PassTimer(ID3D11Device* device, ID3D11DeviceContext* context, uint32_t spans)
    : context(context), stamps(spans + 1, nullptr), totals(spans, 0.0)
{
    D3D11_QUERY_DESC desc = {};
    desc.Query = D3D11_QUERY_TIMESTAMP_DISJOINT;
    device->CreateQuery(&desc, &disjoint);
    desc.Query = D3D11_QUERY_TIMESTAMP;
    for (ID3D11Query*& stamp : stamps)
        device->CreateQuery(&desc, &stamp);
}

PassTimer::~PassTimer()
{
    if (disjoint)
        disjoint->Release();
    for (ID3D11Query* stamp : stamps)
        if (stamp)
            stamp->Release();
}

void PassTimer::beginFrame()
{
    if (disjoint)
        context->Begin(disjoint);
}

void PassTimer::mark(uint32_t index)
{
    if (index < stamps.size() && stamps[index])
        context->End(stamps[index]);
}

void PassTimer::endFrame()
{
    if (disjoint)
        context->End(disjoint);
}

void PassTimer::collect()
{
    if (!disjoint)
        return;
    D3D11_QUERY_DATA_TIMESTAMP_DISJOINT clock = {};
    while (context->GetData(disjoint, &clock, sizeof clock, 0) == S_FALSE) {
    }
    if (clock.Disjoint || clock.Frequency == 0)
        return;
    std::vector<uint64_t> ticks(stamps.size(), 0);
    for (size_t i = 0; i < stamps.size(); ++i) {
        if (!stamps[i])
            return;
        while (context->GetData(stamps[i], &ticks[i], sizeof ticks[i], 0) == S_FALSE) {
        }
    }
    for (size_t i = 0; i < totals.size(); ++i) {
        uint64_t span = ticks[i + 1] >= ticks[i] ? ticks[i + 1] - ticks[i] : 0;
        totals[i] += 1000.0 * static_cast<double>(span) / static_cast<double>(clock.Frequency);
    }
    ++framesCounted;
}

double PassTimer::averageMilliseconds(uint32_t index) const
{
    return framesCounted == 0 || index >= totals.size() ? 0.0 : totals[index] / framesCounted;
}

double PassTimer::averageFrameMilliseconds() const
{
    double sum = 0.0;
    for (uint32_t i = 0; i < totals.size(); ++i)
        sum += averageMilliseconds(i);
    return sum;
}

}  // namespace Nimbra
