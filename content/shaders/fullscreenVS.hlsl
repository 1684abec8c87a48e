// Screen-covering geometry from the vertex id alone, without a vertex buffer. Ids 0, 1, 2 form
// one triangle twice the screen's size; any further ids (a six-vertex draw) collapse onto one
// point, so the second triangle costs nothing and no pixel is shaded twice.
struct VertexOutput
{
    float4 position : SV_POSITION;
    float2 uv : TEXCOORD0;
};

VertexOutput vertex_main(uint id : SV_VertexID)
{
    uint corner = min(id, 3u);
    float2 uv = corner < 3u ? float2((corner << 1) & 2, corner & 2) : float2(0.0, 0.0);
    VertexOutput o;
    o.position = float4(uv.x * 2.0 - 1.0, 1.0 - uv.y * 2.0, 0.0, 1.0);
    o.uv = uv;
    return o;
}
