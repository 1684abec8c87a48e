// Advances the wave lines' rotation: the angles of the previous frame plus the speeds
// RSPEEDX, RSPEEDY, RSPEEDZ (radians a second) times the frame's duration. The first frame
// starts from zero, since the buffer has no initial contents; a long stall advances at most
// a tenth of a second, and angles stay within one turn to keep their precision.
#include "ContextBuffer.hlsli"
#include "RotationState.hlsli"

StructuredBuffer<RotationState> bufferSRV : register(t0);
RWStructuredBuffer<RotationState> bufferUAV : register(u1);

static const float TwoPi = 6.28318531;

[numthreads(1, 1, 1)]
void kernel_main(uint3 id : SV_DispatchThreadID)
{
    float3 previous = frame == 0 ? float3(0.0, 0.0, 0.0) : bufferSRV[0].angles;
    float duration = clamp(elapsedTime, 0.0, 0.1);
    float3 angles = previous + float3(RSPEEDX, RSPEEDY, RSPEEDZ) * duration;
    angles -= floor(angles / TwoPi) * TwoPi;
    RotationState next;
    next.angles = angles;
    next.padding = 0.0;
    bufferUAV[0] = next;
}
