// The final copy pass: the content's output, texel for texel, with the point clamp sampler.
Texture2D<float4> inputTex : register(t0);
SamplerState smp : register(s3);

float4 pixel_main(float4 position : SV_POSITION, float2 uv : TEXCOORD0) : SV_TARGET0
{
    return inputTex.Sample(smp, uv);
}
