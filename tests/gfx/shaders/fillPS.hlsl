// Writes `step` in every channel.
#include "../../support/TestConstants.hlsli"

float4 pixel_main(float4 position : SV_POSITION) : SV_TARGET0
{
    return float4(step, step, step, step);
}
