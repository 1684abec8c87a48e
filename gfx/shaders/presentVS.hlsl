// The final copy pass: one triangle that covers the screen, derived from the vertex id alone.
struct VertexOutput
{
    float4 position : SV_POSITION;
    float2 uv : TEXCOORD0;
};

VertexOutput vertex_main(uint id : SV_VertexID)
{
    // Ids 0, 1, 2 give (0,0), (2,0), (0,2) in texture space: a triangle twice the screen's size.
    float2 uv = float2((id << 1) & 2, id & 2);
    VertexOutput o;
    o.position = float4(uv.x * 2.0 - 1.0, 1.0 - uv.y * 2.0, 0.0, 1.0);
    o.uv = uv;
    return o;
}
