// Reads the side of a double-buffered structured buffer written last frame and writes the
// other side: element + step. The output sits at u1, after the one input.
#include "../../support/TestConstants.hlsli"

StructuredBuffer<int> previous : register(t0);
RWStructuredBuffer<int> next : register(u1);

[numthreads(8, 1, 1)]
void kernel_main(uint3 id : SV_DispatchThreadID)
{
    next[id.x] = previous[id.x] + (int)step;
}
