#include "tools/assetgen/GeneratedFiles.h"

#include "tools/assetgen/Fonts.h"
#include "tools/assetgen/MapImage.h"
#include "tools/assetgen/Palettes.h"
#include "tools/assetgen/TextArt.h"

#include <cstring>

namespace Nimbra::AssetGen {

std::vector<uint8_t> toBytes(const std::vector<int32_t>& values)
{
    std::vector<uint8_t> bytes;
    bytes.reserve(values.size() * 4);
    for (int32_t v : values) {
        uint32_t u = uint32_t(v);
        for (int i = 0; i < 4; ++i)
            bytes.push_back(uint8_t(u >> (8 * i)));
    }
    return bytes;
}

std::vector<uint8_t> toBytes(const std::vector<float>& values)
{
    std::vector<int32_t> bits(values.size());
    for (size_t i = 0; i < values.size(); ++i)
        std::memcpy(&bits[i], &values[i], 4);
    return toBytes(bits);
}

std::vector<GeneratedFile> generateAllFiles()
{
    return {
        {"fontA.bin", toBytes(buildTextModeFont())},
        {"fontB.bin", toBytes(buildScreenCodeFont())},
        {"layer1Text.bin", toBytes(buildStripLayer())},
        {"layer2Text.bin", toBytes(buildLogoLayer())},
        {"layer3Text.bin", toBytes(buildInfoLayer())},
        {"layer4Text.bin", toBytes(buildPatternLayer())},
        {"scrollerText.bin", toBytes(buildScrollerText())},
        {"palette256.bin", toBytes(buildTextPalette())},
        {"palette32.bin", toBytes(buildScrollerPalette())},
        {"mapImage.png", encodePng(renderMap(), MapWidth, MapHeight)},
    };
}

}  // namespace Nimbra::AssetGen
