// Text layers: five camera-facing quads, one per instance, each filling the view at its own
// depth. Deeper layers sit further away and drift a little with the camera, which gives the
// stack a parallax; FLAT_Ln_Z_OFFSET pulls layer n towards the viewer. The layer index and
// the shadow flag go on to the pixel program unchanged.
#include "ContextBuffer.hlsli"
#include "TextLayers.hlsli"

struct VertexOutput
{
    float4 position : SV_POSITION;
    float2 uv : TEXCOORD0;
    nointerpolation uint layer : TEXCOORD2;
    nointerpolation uint shadow : TEXCOORD1;
};

VertexOutput vertex_main(uint vertexId : SV_VertexID, uint instanceId : SV_InstanceID)
{
    static const float2 Corners[6] = { float2(0, 0), float2(1, 0), float2(0, 1),
                                       float2(0, 1), float2(1, 0), float2(1, 1) };
    uint quad = min(instanceId, 4u);
    uint layer = QuadLayer[quad];
    float zOffsets[4] = { FLAT_L1_Z_OFFSET, FLAT_L2_Z_OFFSET, FLAT_L3_Z_OFFSET, FLAT_L4_Z_OFFSET };
    float2 corner = Corners[vertexId % 6];

    // Distance in view units; the quad is sized from the projection so that at zero offset it
    // covers the view exactly, whatever the field of view.
    float depth = (6.0 + layer * 0.75) * max(1.0 - zOffsets[layer - 1] * 0.1, 0.05);
    float baseDepth = 6.0 + layer * 0.75;
    float2 halfSize = baseDepth / float2(projectionMatrix[0][0], projectionMatrix[1][1]);
    // Parallax from the camera's position (the view's translation), stronger for deep layers.
    float2 parallax = float2(viewMatrix[0][3], viewMatrix[1][3]) * 0.004 * (layer - 1);
    float2 xy = (float2(corner.x, 1.0 - corner.y) * 2.0 - 1.0) * halfSize + parallax * halfSize;
    float4 viewPosition = float4(xy, -depth, 1.0);

    VertexOutput o;
    o.position = mul(projectionMatrix, viewPosition);
    o.uv = corner;
    o.layer = layer;
    o.shadow = QuadShadow[quad];
    return o;
}
