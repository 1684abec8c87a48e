// Text layers: character cells from the 8 x 16 font, coloured from the first sixteen palette
// entries. Each layer shows the frame FLAT_Ln_FRAME (or runs at 8 frames a second when
// FRAMEMANUALOVERRIDE is off) and scrolls by FLAT_Ln_X_OFFSET cells and FLAT_Ln_Y_OFFSET page
// heights. Layers 2 to 4 are full pages; layer 1 is a strip of big glyphs across the lower
// part of the screen, with a drop shadow. inputTexture is an optional volume tint.
#include "ContextBuffer.hlsli"
#include "TextLayers.hlsli"

SamplerState smpLinearClamp : register(s0);
StructuredBuffer<int> c64fontBuffer : register(t0);
StructuredBuffer<int> textBuffer1 : register(t1);
StructuredBuffer<int> textBuffer2 : register(t2);
StructuredBuffer<float> colorpalette : register(t3);
Texture3D<float4> inputTexture : register(t4);
StructuredBuffer<int> textBuffer3 : register(t5);
StructuredBuffer<int> textBuffer4 : register(t6);

static const float VisiblePageRows = 22.5; // 80 columns of 8 x 16 glyphs on a 16:9 screen
static const float VisibleStripColumns = 48.0;

float3 paletteColour(int index)
{
    uint i = (uint)clamp(index, 0, 255) * 3;
    return float3(colorpalette[i], colorpalette[i + 1], colorpalette[i + 2]);
}

int3 readCell(uint layer, uint index)
{
    uint i = index * IntsPerCell;
    if (layer == 1)
        return int3(textBuffer1[i], textBuffer1[i + 1], textBuffer1[i + 2]);
    if (layer == 2)
        return int3(textBuffer2[i], textBuffer2[i + 1], textBuffer2[i + 2]);
    if (layer == 3)
        return int3(textBuffer3[i], textBuffer3[i + 1], textBuffer3[i + 2]);
    return int3(textBuffer4[i], textBuffer4[i + 1], textBuffer4[i + 2]);
}

uint wrap(float value, uint count)
{
    float m = value - floor(value / count) * count;
    return min((uint)m, count - 1);
}

struct PixelInput
{
    float4 position : SV_POSITION;
    float2 uv : TEXCOORD0;
    nointerpolation uint layer : TEXCOORD2;
    nointerpolation uint shadow : TEXCOORD1;
};

float4 pixel_main(PixelInput input) : SV_Target0
{
    uint layer = input.layer;
    float frames[4] = { FLAT_L1_FRAME, FLAT_L2_FRAME, FLAT_L3_FRAME, FLAT_L4_FRAME };
    float xOffsets[4] = { FLAT_L1_X_OFFSET, FLAT_L2_X_OFFSET, FLAT_L3_X_OFFSET, FLAT_L4_X_OFFSET };
    float yOffsets[4] = { FLAT_L1_Y_OFFSET, FLAT_L2_Y_OFFSET, FLAT_L3_Y_OFFSET, FLAT_L4_Y_OFFSET };
    float frameValue = FRAMEMANUALOVERRIDE >= 0.5 ? frames[layer - 1] : time * 8.0;
    float2 uv = input.uv;

    float2 cellPosition;
    uint cellIndex;
    bool inLogoPanel = false;
    if (layer == 1)
    {
        // The strip: a band of three rows of big glyphs, scrolled by frame and offset.
        float bandTop = 0.8 + yOffsets[0] * 0.5;
        float bandHeight = (StripRows * 16.0 / 8.0) * (16.0 / 9.0) / VisibleStripColumns;
        float2 shadowShift = input.shadow != 0 ? float2(0.25, 0.35) : float2(0.0, 0.0);
        cellPosition = float2(uv.x * VisibleStripColumns + frameValue * 2.75 + xOffsets[0],
                              (uv.y - bandTop) / bandHeight * StripRows) - shadowShift;
        if (cellPosition.y < 0.0 || cellPosition.y >= StripRows)
            return float4(0.0, 0.0, 0.0, 0.0);
        uint column = wrap(cellPosition.x, StripColumns);
        cellIndex = (uint)cellPosition.y * StripColumns + column;
    }
    else
    {
        uint frameCount = layer == 2 ? Layer2Frames : (layer == 3 ? Layer3Frames : Layer4Frames);
        uint pageFrame = wrap(floor(frameValue), frameCount);
        cellPosition = float2(uv.x * PageColumns + xOffsets[layer - 1],
                              uv.y * VisiblePageRows - yOffsets[layer - 1] * PageRows);
        uint column = wrap(cellPosition.x, PageColumns);
        uint row = wrap(cellPosition.y, PageRows);
        cellIndex = (pageFrame * PageRows + row) * PageColumns + column;
        inLogoPanel = layer == 2 && logoPanelLaidDown(pageFrame, column, row);
    }

    int3 cell = readCell(layer, cellIndex);
    float2 inCell = frac(cellPosition);
    uint glyphX = min((uint)(inCell.x * 8.0), 7u);
    uint glyphY = min((uint)(inCell.y * 16.0), 15u);
    uint code = (uint)clamp(cell.x, 0, 255);
    bool set = c64fontBuffer[(code * 16 + glyphY) * 8 + glyphX] != 0;

    float4 tint = inputTexture.SampleLevel(smpLinearClamp, float3(uv, frac(time * 0.05)), 0);
    if (input.shadow != 0)
        return set ? float4(0.0, 0.0, 0.0, 0.7) : float4(0.0, 0.0, 0.0, 0.0);
    if (set)
    {
        float3 colour = paletteColour(cell.y & 15) + tint.rgb * tint.a;
        // A hint of a phosphor: the lower part of each glyph row is a little darker.
        float scan = 0.8 + 0.2 * step(frac(inCell.y * 16.0), 0.6);
        float strength = layer == 4 ? 0.3 : 1.0;
        return float4(colour * scan * strength * (layer == 1 ? 1.6 : 1.0), 1.0);
    }
    int background = cell.z;
    if (background == NoBackground && inLogoPanel && cell.x == SpaceCode)
        background = LogoPanelColour;
    if (background != NoBackground)
        return float4(paletteColour(background & 15) * 0.5, 0.8);
    return float4(0.0, 0.0, 0.0, 0.0);
}
