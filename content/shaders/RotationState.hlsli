// One element of the rotation-state buffer: three angles in radians, padded to 16 bytes.
#ifndef ROTATION_STATE_HLSLI
#define ROTATION_STATE_HLSLI

struct RotationState
{
    float3 angles;
    float padding;
};

#endif
