// Wave lines: a glowing ribbon profile, hot in the middle, in a colour chosen by the ring.
float4 pixel_main(float4 position : SV_POSITION, float across : TEXCOORD0) : SV_TARGET0
{
    float ring = floor((across + 2.0) * 0.25);
    float x = across - ring * 4.0;
    float core = exp(-x * x * 7.0);
    float3 cold = float3(0.10, 0.85, 1.00);
    float3 warm = float3(1.00, 0.20, 0.75);
    float3 colour = lerp(cold, warm, saturate(ring / 9.0));
    return float4(colour * core * 1.8 + core * core * core * 0.9, 1.0);
}
