// Counts its own executions in element 0.
RWStructuredBuffer<uint> counter : register(u0);

[numthreads(1, 1, 1)]
void kernel_main(uint3 id : SV_DispatchThreadID)
{
    counter[0] = counter[0] + 1;
}
