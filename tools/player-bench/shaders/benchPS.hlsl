// A flat colour from the first variable.
cbuffer FrameConstants : register(b8)
{
    float4 header[38];
    float level;
};

float4 pixel_main(float4 position : SV_POSITION) : SV_TARGET0
{
    return float4(level, level, level, 1.0);
}
