// Cheap integer hashes for per-pixel and per-band randomness.
#ifndef NOISE_HLSLI
#define NOISE_HLSLI

uint hashUint(uint x)
{
    x ^= x >> 16;
    x *= 0x7feb352du;
    x ^= x >> 15;
    x *= 0x846ca68bu;
    x ^= x >> 16;
    return x;
}

// Uniform in [0, 1).
float hash01(uint a, uint b)
{
    return (hashUint(a * 0x9e3779b9u + hashUint(b)) >> 8) * (1.0 / 16777216.0);
}

#endif
