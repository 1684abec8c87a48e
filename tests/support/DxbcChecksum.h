#pragma once
// The checksum a DXBC container carries in bytes 4..19, which Windows' Direct3D runtime checks
// before it takes a program: a variant of MD5 (RFC 1321) over bytes 20 to the end, whose last
// block holds the bit count in its first word and (bits >> 2) | 1 in its last word instead of
// the usual 64-bit length at the end. Written from that published description, to check what
// our compilers produce; the plain MD5 beside it shares the core and is tested on RFC 1321's
// vectors.
#include <cstddef>
#include <cstdint>

namespace Nimbra::Testing {

// Plain MD5 of `size` bytes.
void md5(const unsigned char* data, size_t size, unsigned char digest[16]);

// The four little-endian words a container's bytes 4..19 should hold; false when `size` is
// below the 20-byte head or the blob does not start with "DXBC".
bool dxbcChecksum(const unsigned char* blob, size_t size, uint32_t checksum[4]);

// True when the container's stored checksum is the one its bytes give.
bool dxbcChecksumMatches(const unsigned char* blob, size_t size);

}  // namespace Nimbra::Testing
