// Advances a small double-buffered state, as the content's rotation pass does.
StructuredBuffer<float> previous : register(t0);
RWStructuredBuffer<float> next : register(u1);

[numthreads(8, 1, 1)]
void kernel_main(uint3 id : SV_DispatchThreadID)
{
    next[id.x] = previous[id.x] + 1.0;
}
