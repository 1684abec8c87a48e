// The cube scroller: every set pixel of a glyph becomes a lit cube, and every letter trails a
// tail of slices behind it, which reads as long extruded type bending with the wave.
// Instance i is pixel i % 64 of cell slot i / 64; a page is 8 lines of 32 cells, and
// slot / 256 is the slice: slice 0 is the page of text frame L1_FRAME (or L1_START + time *
// L1_FPS when L1_MANUAL_OR is off), slices 1 to L1_FRAMECOUNT repeat it further back, later
// on the wave and darker. Instances beyond the last slice, clear glyph pixels and hidden cells
// collapse to one point after at most three buffer reads, so they cost next to nothing.
// The L1_ variables move, turn and mirror the block; the camera's matrices do the rest.
// Only the faces of a cube that turn towards the camera are drawn (see facesCamera).
#include "ContextBuffer.hlsli"
#include "Rotation.hlsli"

StructuredBuffer<int> c64fontBuffer : register(t0);
StructuredBuffer<int> textBuffer : register(t1);
StructuredBuffer<float> colorpalette : register(t2);

static const uint PageColumns = 32;
static const uint PageLines = 8;
static const uint CellsPerPage = PageColumns * PageLines;
static const uint TextFrames = 20;
static const uint MaxSlices = 66;
// The third value of a text cell: a hidden cell draws no cubes, whatever its code.
static const int HiddenCell = -1;
static const float CubeSize = 0.13;       // world units per glyph pixel
static const float CubeFill = 0.86;       // a cube's edge in glyph pixels: neighbours never touch
static const float SliceSpacing = 1.25;   // glyph pixels between slices
static const float SliceDelay = 0.045;    // seconds of wave between slices
// World units per unit of L1_X_OFFSET, L1_Y_OFFSET, L1_Z_OFFSET: the vertical sweep is long,
// so it is scaled down to a slow crawl; a rising L1_Y_OFFSET lifts the block up the screen.
static const float3 OffsetScale = float3(0.1, -0.03, 0.1);
// The L1_ROT angles tilt the block gently: one unit turns it by about fourteen degrees.
static const float RotationScale = 0.25;
// The block's resting place: the point the camera looks at, and the centre of the offset sweep.
static const float3 Anchor = float3(11.6, -5.0, 0.0);
static const float3 SweepCentre = float3(181.0, -186.0, 0.0);

struct VertexOutput
{
    float4 position : SV_POSITION;
    float3 normal : NORMAL0;
    float3 worldPosition : WORLDPOS0;
    float4 colour : COLOR0;
};

VertexOutput nothing()
{
    VertexOutput o;
    o.position = float4(2.0, 2.0, 2.0, 1.0);
    o.normal = float3(0.0, 0.0, 1.0);
    o.worldPosition = float3(0.0, 0.0, 0.0);
    o.colour = float4(0.0, 0.0, 0.0, 0.0);
    return o;
}

// Corner `vertexId` of a unit cube (-0.5 .. 0.5): face vertexId / 6, two triangles a face.
void cubeCorner(uint vertexId, out float3 corner, out float3 normal)
{
    static const float3 Normals[6] = { float3(1, 0, 0), float3(-1, 0, 0), float3(0, 1, 0),
                                       float3(0, -1, 0), float3(0, 0, 1), float3(0, 0, -1) };
    static const float2 Quad[6] = { float2(-1, -1), float2(1, -1), float2(-1, 1),
                                    float2(-1, 1), float2(1, -1), float2(1, 1) };
    uint face = vertexId / 6;
    normal = Normals[face];
    float3 u = face < 2 ? float3(0, 1, 0) : float3(1, 0, 0);
    float3 v = face < 4 ? float3(0, 0, 1) : float3(0, 1, 0);
    float2 q = Quad[vertexId % 6];
    corner = (normal + u * q.x + v * q.y) * 0.5;
}

// Whether a cube's face turns towards the camera. A face turned away lies behind the cube's
// front faces, except along the edge they share, where both have the same depth: there the
// rounding of the rasteriser's depth picked the face a pixel showed, which differed between
// Direct3D implementations and GPUs and flickered from frame to frame. Such faces are not drawn.
// The test is made from the face's centre, so that its six corners agree.
bool facesCamera(float3 faceCentre, float3 faceNormal)
{
    // The camera stands where the inverse view takes the origin.
    float3 camera = mul(invViewMatrix, float4(0.0, 0.0, 0.0, 1.0)).xyz;
    return dot(faceNormal, camera - faceCentre) > 0.0;
}

VertexOutput vertex_main(uint vertexId : SV_VertexID, uint instanceId : SV_InstanceID)
{
    uint slot = instanceId >> 6;
    uint slice = slot / CellsPerPage;
    uint sliceCount = (uint)clamp(L1_FRAMECOUNT + 1.0, 1.0, (float)MaxSlices);
    if (slice >= sliceCount)
        return nothing();

    uint cellInPage = slot % CellsPerPage;
    uint textLine = cellInPage / PageColumns;
    uint column = cellInPage % PageColumns;
    float firstFrame = L1_MANUAL_OR >= 0.5 ? L1_FRAME : L1_START + time * L1_FPS;
    uint textFrame = (uint)max(firstFrame, 0.0) % TextFrames;
    uint cellBase = (textFrame * CellsPerPage + cellInPage) * 3;
    int code = textBuffer[cellBase];
    if (textBuffer[cellBase + 2] == HiddenCell || code <= 0 || code == 32)
        return nothing();

    uint pixelX = instanceId & 7;
    uint pixelY = (instanceId >> 3) & 7;
    if (L1_MIRROR_X >= 0.5)
        pixelX = 7 - pixelX;
    if (L1_MIRROR_Y >= 0.5)
        pixelY = 7 - pixelY;
    if (c64fontBuffer[((uint)code * 8 + pixelY) * 8 + pixelX] == 0)
        return nothing();

    float3 corner, normal;
    cubeCorner(vertexId % 36, corner, normal);

    // Position in glyph pixels, the page's centre at the origin; alternate lines slide apart
    // by L1_ROW_X_OFFSET and the whole page ripples like a flag, each slice a little later.
    float rowShift = L1_ROW_X_OFFSET * ((textLine & 1) ? 1.0 : -1.0);
    float waveTime = time - slice * SliceDelay;
    float3 cube = float3(column * 8.0 + pixelX + rowShift - PageColumns * 4.0,
                         textLine * 8.0 + pixelY - PageLines * 4.0,
                         slice * SliceSpacing);
    cube.y += sin(cube.x * 0.045 + waveTime * 2.6) * 3.5;
    cube.z += cos(cube.x * 0.03 - waveTime * 1.9) * 3.0;

    float3x3 turn = rotation(float3(L1_ROT_X, L1_ROT_Y, L1_ROT_Z) * RotationScale);
    float3 offset = (float3(L1_X_OFFSET, L1_Y_OFFSET, L1_Z_OFFSET) - SweepCentre) * OffsetScale;
    float3 blockOrigin = Anchor + offset;
    float3 worldNormal = mul(turn, normal);
    float3 faceCentre = blockOrigin + mul(turn, (cube + normal * 0.5 * CubeFill) * CubeSize);
    if (!facesCamera(faceCentre, worldNormal))
        return nothing();
    float3 world = blockOrigin + mul(turn, (cube + corner * CubeFill) * CubeSize);

    float4 viewPosition = mul(viewMatrix, float4(world, 1.0));
    float4 clip = mul(projectionMatrix, viewPosition);
    // Blur grows with the distance from the front page's depth.
    float4 focus = mul(projectionMatrix, mul(viewMatrix, float4(blockOrigin, 1.0)));
    float blur = saturate(abs(clip.w - focus.w) / max(abs(focus.w) * 0.6, 1e-3));

    uint colourIndex = (uint)clamp(textBuffer[cellBase + 1], 0, 31);
    float3 paletteColour = float3(colorpalette[colourIndex * 3], colorpalette[colourIndex * 3 + 1],
                                  colorpalette[colourIndex * 3 + 2]);
    float3 colour = L1_COL >= 0.5 ? paletteColour : float3(1.0, 1.0, 1.0);
    colour *= float3(L1TEXT_R, L1TEXT_G, L1TEXT_B) * saturate(L1TEXT_A);
    // The tail darkens towards its end; the front face of the letters stays bright.
    colour *= slice == 0 ? 1.25 : 0.85 - 0.6 * slice / (float)sliceCount;

    VertexOutput o;
    o.position = clip;
    o.normal = worldNormal;
    o.worldPosition = world;
    o.colour = float4(colour, blur);
    return o;
}
