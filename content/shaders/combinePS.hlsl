// Final mix: the scroller (premultiplied, coverage in alpha) over the composited picture,
// a soft shoulder so bright glows do not clip hard, and a gentle vignette.
SamplerState smpLinearClamp : register(s0);
Texture2D<float4> inputTexture : register(t0);
Texture2D<float4> inputTexture2 : register(t1);

float4 pixel_main(float4 position : SV_POSITION, float2 uv : TEXCOORD0) : SV_TARGET0
{
    float3 back = inputTexture.SampleLevel(smpLinearClamp, uv, 0).rgb;
    float4 front = inputTexture2.SampleLevel(smpLinearClamp, uv, 0);
    float3 colour = back * (1.0 - saturate(front.a)) + front.rgb;
    colour = max(colour, 0.0);
    colour = colour / (1.0 + max(colour - 0.8, 0.0) * 0.6);
    float2 d = uv - 0.5;
    colour *= 1.0 - dot(d, d) * 0.55;
    return float4(colour, 1.0);
}
