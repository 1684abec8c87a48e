// Wave lines: ten rings round a breathing sphere, each drawn as a ribbon of 36 segments with
// a constant screen width. 60 instances of 36 vertices: instance / 6 picks the ring,
// instance % 6 a run of six segments, and each segment is a quad of six vertices. The rings
// turn with the angles of the rotation state and ripple with WAVEAMP; LNWIDHT sets the width.
#include "ContextBuffer.hlsli"
#include "Rotation.hlsli"
#include "RotationState.hlsli"

StructuredBuffer<RotationState> bufferSRV2 : register(t0);

static const uint RingCount = 10;
static const uint SegmentsPerRing = 36;
static const uint SegmentsPerInstance = 6;
static const float Pi = 3.14159265;
static const float CameraDistance = 3.4;
static const float FocalLength = 1.9;

struct VertexOutput
{
    float4 position : SV_POSITION;
    float across : TEXCOORD0;
};

// A point of ring `ring` at angle index `segment`, on a sphere whose rings ripple in time.
float3 ringPoint(uint ring, uint segment)
{
    float theta = segment * (2.0 * Pi / SegmentsPerRing);
    float phi = ((ring + 0.5) / RingCount - 0.5) * Pi * 0.92;
    float ripple = sin(theta * 5.0 + time * 2.1 + ring * 0.9) * cos(theta * 2.0 - time * 1.3);
    float radius = cos(phi) * (1.0 + WAVEAMP * 1.6 * ripple);
    float height = sin(phi) + WAVEAMP * 0.9 * sin(theta * 3.0 - time * 1.7 + ring * 0.5);
    return float3(cos(theta) * radius, height, sin(theta) * radius);
}

// Perspective onto a screen whose y spans -1..1 and whose x spans -aspect..aspect.
float3 project(float3 p)
{
    float z = p.z + CameraDistance;
    return float3(p.xy * (FocalLength / z), z);
}

VertexOutput vertex_main(uint vertexId : SV_VertexID, uint instanceId : SV_InstanceID)
{
    uint ring = instanceId / (SegmentsPerRing / SegmentsPerInstance);
    uint segment = (instanceId % (SegmentsPerRing / SegmentsPerInstance)) * SegmentsPerInstance + vertexId / 6;
    uint corner = vertexId % 6;
    // Corners of the quad: along the segment (0 or 1) and across it (-1 or 1).
    float along = (corner == 1 || corner == 4 || corner == 5) ? 1.0 : 0.0;
    float side = (corner >= 2 && corner != 4) ? 1.0 : -1.0;

    float3x3 turn = rotation(bufferSRV2[0].angles);
    float3 a = project(mul(turn, ringPoint(ring, segment)));
    float3 b = project(mul(turn, ringPoint(ring, (segment + 1) % SegmentsPerRing)));

    float2 direction = b.xy - a.xy;
    float len = max(length(direction), 1e-5);
    direction /= len;
    float2 normal = float2(-direction.y, direction.x);

    // Width in screen heights, never thinner than one and a half pixels.
    float width = max((0.0015 + 0.0045 * LNWIDHT) * (FocalLength / lerp(a.z, b.z, along)) * 1.7,
                      1.5 * invResolution.y);
    float2 p = lerp(a.xy, b.xy, along) + normal * side * width + direction * (along * 2.0 - 1.0) * width;

    VertexOutput o;
    o.position = float4(p.x / aspectRatio, p.y, 0.5, 1.0);
    // The ring index rides along with the position across the ribbon: ring * 4 + (-1 .. 1).
    o.across = ring * 4.0 + side;
    return o;
}
