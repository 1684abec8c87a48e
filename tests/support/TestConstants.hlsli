// The frame constants the gfx tests' programs read at b8: the 608-byte header, then the four
// variables the tests register (TestConstants in tests/gfx/PassTest.cpp is the same block).
#ifndef TEST_CONSTANTS_HLSLI
#define TEST_CONSTANTS_HLSLI

cbuffer FrameConstants : register(b8)
{
    float4 header[38];
    float step;
    float depthA;
    float depthB;
    float gain;
};

#endif
