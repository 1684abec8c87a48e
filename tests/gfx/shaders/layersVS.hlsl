// One full-target triangle per instance, instance 0 at depth depthA, instance 1 at depthB.
#include "../../support/TestConstants.hlsli"

float4 vertex_main(uint id : SV_VertexID, uint instance : SV_InstanceID) : SV_POSITION
{
    float2 uv = float2((id << 1) & 2, id & 2);
    float z = instance == 0 ? depthA : depthB;
    return float4(uv.x * 2.0 - 1.0, 1.0 - uv.y * 2.0, z, 1.0);
}
