#include "tests/support/DxbcChecksum.h"

#include <cstring>

namespace Nimbra::Testing {
namespace {

// RFC 1321, 3.4: the sine table T[1..64] and the shift of every step.
const uint32_t sineTable[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391,
};
const int shifts[4][4] = {{7, 12, 17, 22}, {5, 9, 14, 20}, {4, 11, 16, 23}, {6, 10, 15, 21}};

uint32_t rotateLeft(uint32_t x, int n)
{
    return (x << n) | (x >> (32 - n));
}

uint32_t loadWord(const unsigned char* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void storeWord(unsigned char* p, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<unsigned char>(value >> (8 * i));
}

// One 64-byte block into the state A, B, C, D (RFC 1321, 3.4).
void md5Block(uint32_t state[4], const unsigned char block[64])
{
    uint32_t x[16];
    for (int i = 0; i < 16; ++i)
        x[i] = loadWord(block + 4 * i);
    uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
    for (int i = 0; i < 64; ++i) {
        const int round = i / 16;
        uint32_t f = 0;
        int k = 0;
        if (round == 0) {
            f = (b & c) | (~b & d);
            k = i;
        } else if (round == 1) {
            f = (b & d) | (c & ~d);
            k = (5 * i + 1) % 16;
        } else if (round == 2) {
            f = b ^ c ^ d;
            k = (3 * i + 5) % 16;
        } else {
            f = c ^ (b | ~d);
            k = (7 * i) % 16;
        }
        const uint32_t next = b + rotateLeft(a + f + x[k] + sineTable[i], shifts[round][i % 4]);
        a = d;
        d = c;
        c = b;
        b = next;
    }
    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
}

void md5Start(uint32_t state[4])
{
    state[0] = 0x67452301;
    state[1] = 0xefcdab89;
    state[2] = 0x98badcfe;
    state[3] = 0x10325476;
}

}  // namespace

void md5(const unsigned char* data, size_t size, unsigned char digest[16])
{
    uint32_t state[4];
    md5Start(state);
    size_t whole = size / 64 * 64;
    for (size_t i = 0; i < whole; i += 64)
        md5Block(state, data + i);
    // The rest, the 0x80 byte, zeros up to 56 mod 64, then the 64-bit bit count.
    unsigned char tail[128] = {};
    const size_t rest = size - whole;
    std::memcpy(tail, data + whole, rest);
    tail[rest] = 0x80;
    const size_t tailSize = rest < 56 ? 64 : 128;
    const uint64_t bits = uint64_t(size) * 8;
    storeWord(tail + tailSize - 8, static_cast<uint32_t>(bits));
    storeWord(tail + tailSize - 4, static_cast<uint32_t>(bits >> 32));
    for (size_t i = 0; i < tailSize; i += 64)
        md5Block(state, tail + i);
    for (int i = 0; i < 4; ++i)
        storeWord(digest + 4 * i, state[i]);
}

bool dxbcChecksum(const unsigned char* blob, size_t size, uint32_t checksum[4])
{
    if (size < 20 || std::memcmp(blob, "DXBC", 4) != 0)
        return false;
    const unsigned char* data = blob + 20;
    const size_t length = size - 20;
    const uint32_t bits = static_cast<uint32_t>(length * 8);
    md5Start(checksum);
    const size_t whole = length / 64 * 64;
    for (size_t i = 0; i < whole; i += 64)
        md5Block(checksum, data + i);
    const size_t rest = length - whole;
    unsigned char block[64] = {};
    if (rest >= 56) {
        // No room for the count: the rest and 0x80 fill one block, the count goes in another.
        std::memcpy(block, data + whole, rest);
        block[rest] = 0x80;
        md5Block(checksum, block);
        std::memset(block, 0, sizeof block);
        storeWord(block, bits);
    } else {
        // The count first, then the rest and 0x80.
        storeWord(block, bits);
        std::memcpy(block + 4, data + whole, rest);
        block[4 + rest] = 0x80;
    }
    storeWord(block + 60, (bits >> 2) | 1);
    md5Block(checksum, block);
    return true;
}

bool dxbcChecksumMatches(const unsigned char* blob, size_t size)
{
    uint32_t checksum[4];
    if (!dxbcChecksum(blob, size, checksum))
        return false;
    for (int i = 0; i < 4; ++i)
        if (loadWord(blob + 4 + 4 * i) != checksum[i])
            return false;
    return true;
}

}  // namespace Nimbra::Testing
