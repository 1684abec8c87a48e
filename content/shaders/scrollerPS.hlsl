// Cube faces of the scroller: a key light, a cold fill from below and a bright rim on the
// edges facing away, in the cube's colour. Alpha carries the blur amount for the scroller
// blur: 0.5 (sharp) to 1 (fully blurred); cleared pixels stay 0.
float4 pixel_main(float4 position : SV_POSITION, float3 normal : NORMAL0, float3 worldPosition : WORLDPOS0,
                  float4 colour : COLOR0) : SV_TARGET0
{
    float3 n = normalize(normal);
    float3 key = normalize(float3(-0.4, -0.7, -0.6));
    float diffuse = saturate(dot(n, key));
    float fill = saturate(dot(n, float3(0.0, 1.0, 0.0))) * 0.35;
    float shimmer = 0.9 + 0.1 * sin(worldPosition.x * 3.0 + worldPosition.y * 2.0);
    float3 lit = colour.rgb * (0.35 + diffuse * 1.0 * shimmer) + float3(0.25, 0.55, 1.0) * fill * colour.rgb;
    lit += pow(diffuse, 24.0) * 0.8;
    return float4(lit, 0.5 + 0.5 * saturate(colour.a));
}
