// Turns about x, then y, then z by the three angles in radians (column vectors: mul(turn, v)).
#ifndef ROTATION_HLSLI
#define ROTATION_HLSLI

float3x3 rotation(float3 a)
{
    float3 s = sin(a);
    float3 c = cos(a);
    float3x3 rx = float3x3(1, 0, 0, 0, c.x, -s.x, 0, s.x, c.x);
    float3x3 ry = float3x3(c.y, 0, s.y, 0, 1, 0, -s.y, 0, c.y);
    float3x3 rz = float3x3(c.z, -s.z, 0, s.z, c.z, 0, 0, 0, 1);
    return mul(rz, mul(ry, rx));
}

#endif
