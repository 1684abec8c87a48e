#include "gfx/ImageRuntime.h"
#include "tests/support/TestDevice.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include <stb_image_write.h>

namespace Nimbra {
namespace Gfx {
namespace {

void appendBytes(void* context, void* data, int size)
{
    auto* out = static_cast<std::vector<uint8_t>*>(context);
    out->insert(out->end(), static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
}

std::vector<uint8_t> encodePng(const std::vector<uint8_t>& pixels, int width, int height, int components)
{
    std::vector<uint8_t> png;
    stbi_write_png_to_func(appendBytes, &png, width, height, components, pixels.data(), width * components);
    return png;
}

ImageDesc memoryImage(const std::vector<uint8_t>& png)
{
    ImageDesc desc;
    desc.data = png.data();
    desc.size = static_cast<uint32_t>(png.size());
    return desc;
}

TEST(ImageRuntime, RowsArriveBottomUp)
{
    // Two pixels a row; rows A, B, C.
    const std::vector<uint8_t> pixels = {
        10, 11, 12, 255, 13, 14, 15, 255,  // A
        20, 21, 22, 255, 23, 24, 25, 255,  // B
        30, 31, 32, 255, 33, 34, 35, 128,  // C
    };
    const std::vector<uint8_t> png = encodePng(pixels, 2, 3, 4);
    ImageRuntime image;
    ASSERT_TRUE(image.create(memoryImage(png)));
    EXPECT_EQ(image.width, 2);
    EXPECT_EQ(image.height, 3);
    EXPECT_EQ(image.format, Rgba8Unorm);
    EXPECT_FALSE(image.doubleBuffered);
    EXPECT_NE(image.rtv(false), nullptr);
    EXPECT_NE(image.uav(false), nullptr);
    std::vector<uint8_t> flipped(pixels.begin() + 16, pixels.end());
    flipped.insert(flipped.end(), pixels.begin() + 8, pixels.begin() + 16);
    flipped.insert(flipped.end(), pixels.begin(), pixels.begin() + 8);
    EXPECT_EQ(Testing::readTexture(image.texture[0], 4), flipped);
    image.release();

    const std::vector<uint8_t> single = {1, 2, 3, 4};
    const std::vector<uint8_t> singlePng = encodePng(single, 1, 1, 4);
    ImageRuntime one;
    ASSERT_TRUE(one.create(memoryImage(singlePng)));
    EXPECT_EQ(Testing::readTexture(one.texture[0], 4), single);
    one.release();
}

TEST(ImageRuntime, GreyFileArrivesAsRgba)
{
    const std::vector<uint8_t> grey = {0, 100, 200, 255};
    const std::vector<uint8_t> png = encodePng(grey, 2, 2, 1);
    char directory[MAX_PATH];
    GetTempPathA(MAX_PATH, directory);
    const std::string path = std::string(directory) + "nimbra_grey.png";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fwrite(png.data(), 1, png.size(), file);
    std::fclose(file);

    ImageDesc desc;
    std::snprintf(desc.path, sizeof desc.path, "%s", path.c_str());
    ImageRuntime image;
    ASSERT_TRUE(image.create(desc));
    EXPECT_EQ(image.format, Rgba8Unorm);
    // Rows (0, 100) and (200, 255) swap; every texel is grey with full alpha.
    const std::vector<uint8_t> expected = {200, 200, 200, 255, 255, 255, 255, 255, 0, 0, 0, 255, 100, 100, 100, 255};
    EXPECT_EQ(Testing::readTexture(image.texture[0], 4), expected);
    image.release();
    std::remove(path.c_str());
}

TEST(ImageRuntime, UnreadableImagesCreateNothing)
{
    ImageDesc missing;
    std::snprintf(missing.path, sizeof missing.path, "%s", "no/such/picture.png");
    ImageRuntime fromMissingFile;
    EXPECT_FALSE(fromMissingFile.create(missing));
    EXPECT_EQ(fromMissingFile.texture[0], nullptr);
    EXPECT_EQ(fromMissingFile.srv(true), nullptr);
    EXPECT_EQ(fromMissingFile.width, 2);
    EXPECT_EQ(fromMissingFile.format, Rgba16Float);

    const std::vector<uint8_t> png = encodePng({9, 9, 9, 9}, 1, 1, 4);
    const std::vector<uint8_t> truncated(png.begin(), png.begin() + png.size() / 2);
    ImageRuntime corrupt;
    EXPECT_FALSE(corrupt.create(memoryImage(truncated)));
    EXPECT_EQ(corrupt.texture[0], nullptr);

    const std::vector<uint8_t> garbage(64, 0x5A);
    ImageRuntime unknown;
    EXPECT_FALSE(unknown.create(memoryImage(garbage)));
    EXPECT_EQ(unknown.texture[0], nullptr);
}

}  // namespace
}  // namespace Gfx
}  // namespace Nimbra
