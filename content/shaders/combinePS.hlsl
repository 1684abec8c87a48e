// Final mix, seen on a slightly curved tube: the scroller (premultiplied, coverage in alpha)
// over the composited picture, a soft shoulder so bright glows do not clip hard, a vignette
// and rounded dark corners where the glass bends away.
SamplerState smpLinearClamp : register(s0);
Texture2D<float4> inputTexture : register(t0);
Texture2D<float4> inputTexture2 : register(t1);

static const float Curvature = 0.045;

float4 pixel_main(float4 position : SV_POSITION, float2 uv : TEXCOORD0) : SV_TARGET0
{
    float2 centred = uv * 2.0 - 1.0;
    float2 bent = centred * (1.0 + Curvature * dot(centred, centred));
    float2 tubeUv = bent * 0.5 + 0.5;
    // Distance inside the glass's edge, in units of the screen, for a soft rim.
    float2 inside = 1.0 - abs(bent);
    float rim = saturate(min(inside.x, inside.y) * 60.0);

    float3 back = inputTexture.SampleLevel(smpLinearClamp, tubeUv, 0).rgb;
    float4 front = inputTexture2.SampleLevel(smpLinearClamp, tubeUv, 0);
    float3 colour = back * (1.0 - saturate(front.a)) + front.rgb;
    colour = max(colour, 0.0);
    colour = colour / (1.0 + max(colour - 0.8, 0.0) * 0.6);
    colour *= 1.0 - dot(centred, centred) * 0.18;
    return float4(colour * rim, 1.0);
}
