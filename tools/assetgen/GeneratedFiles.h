// Every data file of the content, generated in memory: the fonts, text cells and palettes as
// little-endian 32-bit values and the picture as PNG.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace Nimbra::AssetGen {

struct GeneratedFile {
    std::string name;  // file name in content/assets/data, e.g. "fontA.bin"
    std::vector<uint8_t> bytes;
};

std::vector<GeneratedFile> generateAllFiles();

// The little-endian bytes of 32-bit ints or floats.
std::vector<uint8_t> toBytes(const std::vector<int32_t>& values);
std::vector<uint8_t> toBytes(const std::vector<float>& values);

}  // namespace Nimbra::AssetGen
