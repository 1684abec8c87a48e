// The picture of the upper layers: the map as backdrop, the focus-blurred wave lines added
// as light and the text layers on top, all seen through a failing video signal. GLITCH tears
// bands sideways and splits the colours, INTERLACE shifts alternate lines apart, BRUS is the
// snow on the signal (a full screen of it at the start), and POST and NEGT toggle the backdrop
// between a posterised duotone and its negative. inputTexture is an optional extra light layer.
#include "ContextBuffer.hlsli"
#include "Noise.hlsli"

SamplerState smpLinearClamp : register(s0);
Texture2D<float4> inputTexture : register(t0);
Texture2D<float4> inputTexture2 : register(t1);
Texture2D<float4> mapTexture : register(t2);
Texture2D<float4> inputTexture3 : register(t3);

float3 backdrop(float2 uv)
{
    // A slow drift over the map, so the backdrop is never quite still.
    float2 drift = float2(sin(time * 0.045), cos(time * 0.037)) * 0.035;
    float2 mapUv = 0.5 + (uv - 0.5) * (0.9 - 0.02 * sin(time * 0.1)) + drift;
    float3 map = mapTexture.SampleLevel(smpLinearClamp, mapUv, 0).rgb;
    float luminance = dot(map, float3(0.3, 0.55, 0.15));
    float3 duotone = lerp(float3(0.12, 0.04, 0.30), float3(1.0, 0.45, 0.15), floor(luminance * 5.0) / 4.0);
    // The negative turns the dark ground into a deep blue and the glowing contours dark.
    float3 negative = (1.0 - map) * float3(0.18, 0.22, 0.5);
    float3 c = map;
    c = lerp(c, duotone, saturate(POST) * 0.8);
    c = lerp(c, negative, saturate(NEGT) * 0.75);
    return c * 0.55;
}

float4 layersAt(float2 uv)
{
    float3 lines = inputTexture2.SampleLevel(smpLinearClamp, uv, 0).rgb;
    float3 text = inputTexture3.SampleLevel(smpLinearClamp, uv, 0).rgb;
    float3 extra = inputTexture.SampleLevel(smpLinearClamp, uv, 0).rgb;
    float textMask = saturate(max(text.r, max(text.g, text.b)) * 3.0);
    return float4(lines + extra, textMask) + float4(text, 0.0);
}

float4 pixel_main(float4 position : SV_POSITION, float2 uv : TEXCOORD0) : SV_TARGET0
{
    uint row = (uint)position.y;
    uint tick = (uint)(time * 24.0);
    float glitch = max(GLITCH, 0.0);

    // Torn bands: the stronger the glitch, the more bands move and the further.
    uint band = (uint)(uv.y * 36.0 + hash01(tick, 7u) * 8.0);
    float tear = hash01(band, tick);
    float shift = 0.0;
    if (tear < saturate(glitch * 0.25))
        shift = (hash01(band, tick + 911u) - 0.5) * 0.12 * min(glitch, 4.0);
    // Interlace: odd and even lines pull apart by INTERLACE pixels of a 1080-line screen.
    float interlace = max(INTERLACE, 0.0) * ((row & 1u) ? 1.0 : -1.0) * (0.6 + 0.4 * sin(time * 31.0));
    shift += interlace * (1.0 / 1080.0) * (resolution.y / resolution.x);

    float2 p = float2(uv.x + shift, uv.y);
    float split = (0.0015 + 0.006 * saturate(glitch)) * (1.0 + tear);
    float4 red = layersAt(p + float2(split, 0.0));
    float4 mid = layersAt(p);
    float4 blue = layersAt(p - float2(split, 0.0));
    float3 over = float3(red.r, mid.g, blue.b);
    float mask = mid.a;

    float3 back = backdrop(p);
    float3 colour = back * (1.0 - mask * 0.85) + over;

    // Scanlines and snow.
    colour *= 0.86 + 0.14 * sin(position.y * 3.14159265 * 0.5);
    float snow = hash01(row * 2039u + (uint)position.x, tick * 3u + (uint)(time * 97.0));
    float noise = max(BRUS, 0.0);
    colour += (snow - 0.5) * min(noise, 10.0) * 0.09;
    // Heavy noise is a lost signal: snow with a slow rolling bar, the picture only glimpsed.
    float roll = 0.75 + 0.5 * smoothstep(0.0, 0.25, abs(frac(uv.y * 0.5 - time * 0.35) - 0.5));
    float lost = saturate((noise - 8.0) / 250.0) * 0.9;
    colour = lerp(colour, snow * roll * float3(0.85, 0.9, 1.0), lost);
    return float4(max(colour, 0.0), 1.0);
}
