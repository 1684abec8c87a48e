// demo-sync's overlay: a backdrop in its colour, or a glyph's set pixels in the text's colour
// (the font holds 1 where a pixel is set), blended over the picture by their alpha.
Texture2D<float> glyphs : register(t0);

float4 pixel_main(float4 position : SV_POSITION, float2 texel : TEXCOORD0, nointerpolation float plain : TEXCOORD1,
                  nointerpolation float4 colour : COLOR0) : SV_TARGET0
{
    float cover = plain > 0.5 ? 1.0 : glyphs.Load(int3(floor(texel), 0));
    return float4(colour.rgb, colour.a * cover);
}
