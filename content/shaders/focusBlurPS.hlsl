// Focus blur of the wave lines: a golden-angle disc gather whose radius grows with the
// distance from the focal ring. FOCALDIST moves the ring in and out from the centre of the
// screen, FCSRANGE is the sharp band round it, BLRSTRENGHT scales the radius, and WEIGHTSTNY
// favours bright samples, which turns glowing lines into bokeh discs when it is large.
#include "ContextBuffer.hlsli"

SamplerState smpLinearClamp : register(s0);
Texture2D<float4> InputTexture : register(t0);

static const uint MaxTaps = 40;
static const float GoldenAngle = 2.39996323;

float circleOfConfusion(float2 uv)
{
    float2 centred = (uv - 0.5) * float2(invResolution.y / invResolution.x, 1.0);
    float focalRadius = saturate(0.35 + FOCALDIST * 0.08);
    float distanceFromFocus = abs(length(centred) - focalRadius);
    return saturate((distanceFromFocus - FCSRANGE * 0.25) * 3.0);
}

float4 pixel_main(float4 position : SV_POSITION, float2 uv : TEXCOORD0) : SV_TARGET0
{
    float4 centre = InputTexture.SampleLevel(smpLinearClamp, uv, 0);
    // Radius in pixels of a 1080-line screen, so the look does not depend on the resolution.
    float radius = BLRSTRENGHT * circleOfConfusion(uv) * 4.0;
    if (radius < 0.5)
        return centre;

    float2 pixel = invResolution * (1.0 / (1080.0 * invResolution.y));
    // Most of the screen is empty: when the centre and four probes at the rim are black,
    // there is nothing to gather.
    float3 probe = centre.rgb;
    probe += InputTexture.SampleLevel(smpLinearClamp, uv + float2(radius, radius) * pixel * 0.7, 0).rgb;
    probe += InputTexture.SampleLevel(smpLinearClamp, uv + float2(-radius, radius) * pixel * 0.7, 0).rgb;
    probe += InputTexture.SampleLevel(smpLinearClamp, uv + float2(radius, -radius) * pixel * 0.7, 0).rgb;
    probe += InputTexture.SampleLevel(smpLinearClamp, uv - float2(radius, radius) * pixel * 0.7, 0).rgb;
    if (dot(probe, float3(1.0, 1.0, 1.0)) < 1e-4)
        return centre;

    float brightBias = max(WEIGHTSTNY, 0.0);
    // Small discs need few taps: about three per pixel of radius.
    uint taps = (uint)clamp(radius * 3.0, 8.0, (float)MaxTaps);
    float3 sum = 0.0;
    float weightSum = 0.0;
    [loop]
    for (uint i = 0; i < taps; ++i)
    {
        float r = sqrt((i + 0.5) / taps) * radius;
        float a = i * GoldenAngle;
        float3 c = InputTexture.SampleLevel(smpLinearClamp, uv + float2(cos(a), sin(a)) * r * pixel, 0).rgb;
        float luminance = dot(c, float3(0.3, 0.5, 0.2));
        float w = 1.0 + brightBias * luminance * luminance;
        sum += c * w;
        weightSum += w;
    }
    float3 blurred = sum / weightSum;
    // Bright-weighted averages lose energy; give some of it back as glow.
    blurred *= 1.0 + min(brightBias, 50.0) * 0.01;
    return float4(blurred, 1.0);
}
