// Depth of field for the cube scroller. The scroller stores its blur amount in alpha
// (0 where nothing was drawn, 0.5 .. 1 for sharp .. fully blurred). A gather over a disc of
// SCROLLERMAXBLUR pixels keeps a sample only if its own blur reaches this far, which spreads
// blurred cubes over their neighbours while sharp ones stay crisp. Output is premultiplied
// colour with coverage in alpha. BLANKOUT fades it with the rest of the picture.
#include "ContextBuffer.hlsli"

SamplerState LinearSampler : register(s0);
Texture2D<float4> InputTexture : register(t0);

static const uint TapCount = 32;
static const float GoldenAngle = 2.39996323;

float4 pixel_main(float4 position : SV_POSITION, float2 uv : TEXCOORD0) : SV_TARGET0
{
    float4 centre = InputTexture.SampleLevel(LinearSampler, uv, 0);
    float maxRadius = max(SCROLLERMAXBLUR, 0.0);
    float fade = 1.0 - saturate(BLANKOUT);
    float centreCoverage = step(0.25, centre.a);
    float4 sum = float4(centre.rgb * centreCoverage, centreCoverage);
    float weight = 1.0;
    float2 pixel = (1.0 / resolution) * (resolution.y / 1080.0);
    // Far from any cube (nothing at the centre or at ten probes within reach) nothing can reach.
    float probes = centre.a;
    probes += InputTexture.SampleLevel(LinearSampler, uv + float2(maxRadius, 0.0) * pixel, 0).a;
    probes += InputTexture.SampleLevel(LinearSampler, uv - float2(maxRadius, 0.0) * pixel, 0).a;
    probes += InputTexture.SampleLevel(LinearSampler, uv + float2(0.0, maxRadius) * pixel, 0).a;
    probes += InputTexture.SampleLevel(LinearSampler, uv - float2(0.0, maxRadius) * pixel, 0).a;
    probes += InputTexture.SampleLevel(LinearSampler, uv + float2(maxRadius, maxRadius) * pixel * 0.5, 0).a;
    probes += InputTexture.SampleLevel(LinearSampler, uv - float2(maxRadius, maxRadius) * pixel * 0.5, 0).a;
    probes += InputTexture.SampleLevel(LinearSampler, uv + float2(maxRadius, 0.0) * pixel * 0.5, 0).a;
    probes += InputTexture.SampleLevel(LinearSampler, uv - float2(maxRadius, 0.0) * pixel * 0.5, 0).a;
    probes += InputTexture.SampleLevel(LinearSampler, uv + float2(0.0, maxRadius) * pixel * 0.5, 0).a;
    probes += InputTexture.SampleLevel(LinearSampler, uv - float2(0.0, maxRadius) * pixel * 0.5, 0).a;
    if (probes <= 0.0)
        return float4(0.0, 0.0, 0.0, 0.0);
    if (maxRadius >= 0.5)
    {
        [loop]
        for (uint i = 0; i < TapCount; ++i)
        {
            float r = sqrt((i + 0.5) / TapCount) * maxRadius;
            float a = i * GoldenAngle;
            float4 s = InputTexture.SampleLevel(LinearSampler, uv + float2(cos(a), sin(a)) * r * pixel, 0);
            float covered = step(0.25, s.a);
            float reach = saturate(s.a * 2.0 - 1.0) * maxRadius;
            float w = covered * saturate(reach - r + 1.0);
            // Empty samples within the centre's own reach thin it out, as a defocused edge does.
            float centreReach = saturate(centre.a * 2.0 - 1.0) * maxRadius;
            float hole = (1.0 - covered) * saturate(centreReach - r + 1.0);
            sum += float4(s.rgb, 1.0) * w;
            weight += w + hole;
        }
    }
    return sum / weight * fade;
}
