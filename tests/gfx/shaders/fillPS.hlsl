// Writes `step` in every channel.
// The frame constants: the 608-byte header, then the variables the tests register.
cbuffer FrameConstants : register(b8)
{
    float4 header[38];
    float step;
    float depthA;
    float depthB;
    float gain;
};

float4 pixel_main(float4 position : SV_POSITION) : SV_TARGET0
{
    return float4(step, step, step, step);
}
