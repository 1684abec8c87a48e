// Weighs texel (0, 0) of the three inputs by 1, 10 and 100, so a shifted binding shows.
#include "../../support/TestConstants.hlsli"

Texture2D<float4> first : register(t0);
Texture2D<float4> second : register(t1);
Texture2D<float4> third : register(t2);

float4 pixel_main(float4 position : SV_POSITION) : SV_TARGET0
{
    int3 texel = int3(0, 0, 0);
    return gain * (first.Load(texel) + 10.0 * second.Load(texel) + 100.0 * third.Load(texel));
}
