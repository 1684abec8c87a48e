// demo-sync's overlay: one quad of text or backdrop per record, six vertices each, from the
// vertex id alone. Rectangles are in clip space, glyph rectangles in texels of the font.
struct Quad
{
    float4 rect;    // left, top, right, bottom
    float4 texels;  // left, top, right, bottom of the glyph; left < 0: a plain backdrop
    float4 colour;
};
StructuredBuffer<Quad> quads : register(t0);

struct VertexOutput
{
    float4 position : SV_POSITION;
    float2 texel : TEXCOORD0;
    nointerpolation float plain : TEXCOORD1;
    nointerpolation float4 colour : COLOR0;
};

VertexOutput vertex_main(uint id : SV_VertexID)
{
    Quad q = quads[id / 6];
    // Corners 0 1 2 and 3 2 1 of (left top, right top, left bottom, right bottom).
    uint k = id % 6;
    uint corner = k < 3 ? k : 6 - k;
    float2 f = float2(corner & 1, corner >> 1);
    VertexOutput o;
    o.position = float4(lerp(q.rect.x, q.rect.z, f.x), lerp(q.rect.y, q.rect.w, f.y), 0.0, 1.0);
    o.texel = lerp(q.texels.xy, q.texels.zw, f);
    o.plain = q.texels.x < 0.0 ? 1.0 : 0.0;
    o.colour = q.colour;
    return o;
}
