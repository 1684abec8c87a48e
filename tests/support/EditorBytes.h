#pragma once
// Editor messages spelled out byte by byte for the tests, independent of the code under test.

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace EditorBytes {

using Bytes = std::vector<uint8_t>;

inline void u32(Bytes& out, uint32_t v)
{
    out.push_back(uint8_t(v >> 24));
    out.push_back(uint8_t(v >> 16));
    out.push_back(uint8_t(v >> 8));
    out.push_back(uint8_t(v));
}

inline uint32_t bitsOf(float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, 4);
    return bits;
}

inline Bytes greeting()
{
    const char* text = "hello, demo!";
    return Bytes(text, text + std::strlen(text));
}

inline Bytes setKeyBits(uint32_t track, uint32_t row, uint32_t valueBits, uint8_t type)
{
    Bytes out{0};
    u32(out, track);
    u32(out, row);
    u32(out, valueBits);
    out.push_back(type);
    return out;
}

inline Bytes setKey(uint32_t track, uint32_t row, float value, uint8_t type)
{
    return setKeyBits(track, row, bitsOf(value), type);
}

inline Bytes deleteKey(uint32_t track, uint32_t row)
{
    Bytes out{1};
    u32(out, track);
    u32(out, row);
    return out;
}

inline Bytes setRow(uint32_t row)
{
    Bytes out{3};
    u32(out, row);
    return out;
}

inline Bytes pause(uint8_t flag)
{
    return Bytes{4, flag};
}
inline Bytes saveTracks()
{
    return Bytes{5};
}

inline Bytes join(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

inline Bytes getTrack(const std::string& name)
{
    Bytes out{2};
    u32(out, uint32_t(name.size()));
    out.insert(out.end(), name.begin(), name.end());
    return out;
}

}  // namespace EditorBytes
