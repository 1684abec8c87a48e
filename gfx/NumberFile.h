#pragma once
// Number text files: tokens separated by spaces, commas and newlines, each converted to the
// buffer's element type. Any other character (tab, carriage return, letter) stays in its token
// and ends the number there; a token without a leading number gives 0.
#include <cstdint>

namespace Nimbra {
namespace Gfx {

uint32_t countNumberTokens(const char* text);

// Parses `text` (modified while it runs, restored after) into a std::calloc block the caller frees, zero-padded to
// 16 bytes. An element type not loaded stores nothing; out-of-range numbers saturate: Int32 to its limits, Float32
// to +-FLT_MAX, UInt8 to the low 8 bits of the saturated Int32.
void parseNumbers(char* text, int32_t elementType, void*& data, uint32_t& count);

// Reads the whole file and parses it; returns false, leaving `data` and `count` as they are,
// when the file cannot be opened or read.
bool loadNumberFile(const char* path, int32_t elementType, void*& data, uint32_t& count);

}  // namespace Gfx
}  // namespace Nimbra
