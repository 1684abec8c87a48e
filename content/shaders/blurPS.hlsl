// Screen blur and blank-out of the composited picture. DOFBLUR defocuses it behind the
// scroller (4 units make one pixel of a 1080-line screen), gathered over a golden-angle disc
// turned per pixel, so too few taps show as fine grain instead of rings; BLANKOUT switches the tube off:
// the picture squeezes into a bright horizontal line, then to a dot, then to black.
#include "ContextBuffer.hlsli"

SamplerState LinearSampler : register(s0);
Texture2D<float4> InputTexture : register(t0);

static const uint MaxTaps = 32;
static const float GoldenAngle = 2.39996323;

float3 blurred(float2 uv, float2 position, float radius)
{
    float2 pixel = (1.0 / resolution) * (resolution.y / 1080.0);
    float3 sum = InputTexture.SampleLevel(LinearSampler, uv, 0).rgb;
    // Interleaved gradient noise: a different start angle for neighbouring pixels.
    float turn = frac(52.9829189 * frac(dot(position, float2(0.06711056, 0.00583715)))) * 6.2831853;
    // Small discs need few taps: about two and a half per pixel of radius.
    uint taps = (uint)clamp(radius * 2.5, 8.0, (float)MaxTaps);
    [loop]
    for (uint i = 0; i < taps; ++i)
    {
        float r = sqrt((i + 0.5) / taps) * radius;
        float a = i * GoldenAngle + turn;
        sum += InputTexture.SampleLevel(LinearSampler, uv + float2(cos(a), sin(a)) * r * pixel, 0).rgb;
    }
    return sum / (taps + 1);
}

float4 pixel_main(float4 position : SV_POSITION, float2 uv : TEXCOORD0) : SV_TARGET0
{
    float off = saturate(BLANKOUT);
    // Vertical squeeze first, horizontal in the last fifth.
    float squeezeY = lerp(1.0, 0.004, saturate(off * 1.25));
    float squeezeX = lerp(1.0, 0.002, saturate(off * 5.0 - 4.0));
    float2 fromCentre = uv - 0.5;
    float2 source = 0.5 + fromCentre / float2(squeezeX, squeezeY);
    if (any(abs(source - 0.5) > 0.5))
        return float4(0.0, 0.0, 0.0, 1.0);

    float radius = max(DOFBLUR, 0.0) * 0.25 + off * 12.0;
    float3 colour = radius < 0.5 ? InputTexture.SampleLevel(LinearSampler, source, 0).rgb
                                 : blurred(source, position.xy, radius);
    // The squeezed beam gets brighter as it narrows, then fades to nothing.
    colour *= (1.0 + off * 6.0) * saturate((1.0 - off) * 8.0);
    return float4(colour, 1.0);
}
