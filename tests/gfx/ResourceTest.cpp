#include "gfx/BufferDataRuntime.h"
#include "gfx/BufferRuntime.h"
#include "gfx/ImageRuntime.h"
#include "gfx/TextureRuntime.h"
#include "tests/support/TestDevice.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace Nimbra {
namespace Gfx {
namespace {

UINT bindFlagsOf(ID3D11Resource* texture)
{
    D3D11_RESOURCE_DIMENSION dimension;
    texture->GetType(&dimension);
    if (dimension == D3D11_RESOURCE_DIMENSION_TEXTURE1D) {
        D3D11_TEXTURE1D_DESC desc;
        static_cast<ID3D11Texture1D*>(texture)->GetDesc(&desc);
        return desc.BindFlags;
    }
    if (dimension == D3D11_RESOURCE_DIMENSION_TEXTURE3D) {
        D3D11_TEXTURE3D_DESC desc;
        static_cast<ID3D11Texture3D*>(texture)->GetDesc(&desc);
        return desc.BindFlags;
    }
    D3D11_TEXTURE2D_DESC desc;
    static_cast<ID3D11Texture2D*>(texture)->GetDesc(&desc);
    return desc.BindFlags;
}

D3D11_TEXTURE2D_DESC desc2D(ID3D11Resource* texture)
{
    D3D11_TEXTURE2D_DESC desc = {};
    static_cast<ID3D11Texture2D*>(texture)->GetDesc(&desc);
    return desc;
}

TextureDesc textureDesc(int32_t dimension, int32_t format, int32_t width = 8, int32_t height = 4)
{
    TextureDesc desc;
    desc.dimension = dimension;
    desc.format = format;
    desc.width = width;
    desc.height = height;
    desc.depth = 2;
    return desc;
}

TEST(TextureRuntime, EveryFormatAndDimensionGetsItsViews)
{
    for (int32_t format = 0; format < textureFormatCount; ++format) {
        for (int32_t dimension = Texture1D; dimension <= Texture3D; ++dimension) {
            const bool depthFormat = isDepthFormat(format);
            SCOPED_TRACE("format " + std::to_string(format) + ", dimension " + std::to_string(dimension));
            TextureRuntime texture;
            if (depthFormat && dimension != Texture2D) {
                // Depth views are 2D only: a 1D or 3D depth texture ends up with no view at all.
                EXPECT_TRUE(texture.create(textureDesc(dimension, format), false));
                EXPECT_EQ(texture.dsv(), nullptr);
                EXPECT_EQ(texture.srv(true), nullptr);
                EXPECT_EQ(texture.uav(false), nullptr);
                texture.release();
                continue;
            }
            EXPECT_TRUE(texture.create(textureDesc(dimension, format), false));
            ASSERT_NE(texture.texture[0], nullptr);
            EXPECT_EQ(texture.texture[1], nullptr);
            if (depthFormat) {
                EXPECT_NE(texture.dsv(), nullptr);
                EXPECT_EQ(texture.srv(true), nullptr);
                EXPECT_EQ(texture.uav(false), nullptr);
                EXPECT_EQ(texture.rtv(false), nullptr);
                EXPECT_EQ(bindFlagsOf(texture.texture[0]), UINT(D3D11_BIND_DEPTH_STENCIL));
            } else {
                EXPECT_EQ(texture.dsv(), nullptr);
                EXPECT_NE(texture.srv(true), nullptr);
                // Typed UAV stores of BGRA are optional at feature level 11_0.
                if (format != Bgra8Unorm) {
                    EXPECT_NE(texture.uav(false), nullptr);
                }
                const bool drawable = dimension == Texture2D;
                EXPECT_EQ(texture.rtv(false) != nullptr, drawable);
                EXPECT_EQ((bindFlagsOf(texture.texture[0]) & D3D11_BIND_RENDER_TARGET) != 0, drawable);
            }
            texture.release();
            EXPECT_EQ(texture.texture[0], nullptr);
            EXPECT_EQ(texture.srvs[0], nullptr);
            EXPECT_EQ(texture.depthView, nullptr);
        }
    }
}

TEST(TextureRuntime, UnknownDimensionCreatesNothing)
{
    TextureRuntime texture;
    EXPECT_TRUE(texture.create(textureDesc(3, Rgba8Unorm), true));
    EXPECT_EQ(texture.texture[0], nullptr);
    EXPECT_EQ(texture.texture[1], nullptr);
    EXPECT_EQ(texture.srv(true), nullptr);
    EXPECT_TRUE(texture.release());
}

TEST(TextureRuntime, MipChainAndZeroSizes)
{
    TextureDesc desc = textureDesc(Texture2D, Rgba16Float, 1280, 720);
    desc.mips = true;
    TextureRuntime mipped;
    mipped.create(desc, false);
    ASSERT_NE(mipped.texture[0], nullptr);
    EXPECT_EQ(desc2D(mipped.texture[0]).MipLevels, 11u);
    EXPECT_EQ(desc2D(mipped.texture[0]).MiscFlags, UINT(D3D11_RESOURCE_MISC_GENERATE_MIPS));
    D3D11_SHADER_RESOURCE_VIEW_DESC srvDesc;
    mipped.srv(true)->GetDesc(&srvDesc);
    EXPECT_EQ(srvDesc.Texture2D.MipLevels, 11u);
    mipped.generateMips();
    mipped.release();

    desc.format = Depth32Float;
    TextureRuntime depth;
    depth.create(desc, false);
    ASSERT_NE(depth.texture[0], nullptr);
    EXPECT_EQ(desc2D(depth.texture[0]).MipLevels, 1u);
    EXPECT_EQ(desc2D(depth.texture[0]).MiscFlags, 0u);
    depth.release();

    TextureRuntime line;
    TextureDesc lineDesc = textureDesc(Texture1D, R32Float, 3);
    lineDesc.mips = true;
    line.create(lineDesc, false);
    ASSERT_NE(line.texture[0], nullptr);
    // A 1D chain needs RENDER_TARGET for GenerateMips, but still gets no render-target view.
    EXPECT_NE(bindFlagsOf(line.texture[0]) & D3D11_BIND_RENDER_TARGET, 0u);
    EXPECT_EQ(line.rtv(false), nullptr);
    line.release();

    TextureRuntime empty;
    empty.create(textureDesc(Texture2D, Rgba8Unorm, 0, 0), false);
    ASSERT_NE(empty.texture[0], nullptr);
    EXPECT_EQ(desc2D(empty.texture[0]).Width, 1u);
    EXPECT_EQ(desc2D(empty.texture[0]).Height, 1u);
    empty.release();

    EXPECT_EQ(mipLevelCount(Texture2D, 1024, 4, 0, true, Rgba8Unorm), 11u);
    EXPECT_EQ(mipLevelCount(Texture3D, 2, 3, 40, true, Rgba8Unorm), 6u);
    EXPECT_EQ(mipLevelCount(Texture1D, 1, 900, 0, true, Rgba8Unorm), 1u);
}

TEST(TextureRuntime, GettersFollowTheParity)
{
    TextureRuntime texture;
    texture.create(textureDesc(Texture2D, Rgba16Float), true);
    ASSERT_NE(texture.rtvs[1], nullptr);
    ASSERT_NE(texture.srvs[1], nullptr);
    EXPECT_EQ(texture.rtv(false), texture.rtvs[0]);
    EXPECT_EQ(texture.srv(true), texture.srvs[1]);
    EXPECT_EQ(texture.uav(false), texture.uavs[0]);
    EXPECT_EQ(texture.resource(true), texture.texture[1]);
    texture.parity = true;
    EXPECT_EQ(texture.rtv(false), texture.rtvs[1]);
    EXPECT_EQ(texture.srv(true), texture.srvs[0]);
    EXPECT_EQ(texture.uav(false), texture.uavs[1]);
    EXPECT_EQ(texture.resource(true), texture.texture[0]);
    texture.release();

    TextureRuntime single;
    single.create(textureDesc(Texture2D, Rgba16Float), false);
    single.parity = true;
    EXPECT_EQ(single.rtv(false), single.rtvs[0]);
    EXPECT_EQ(single.srv(true), single.srvs[0]);
    single.release();

    // A double-buffered depth texture has a second texture and no views of it.
    TextureRuntime depth;
    depth.create(textureDesc(Texture2D, Depth24Stencil8), true);
    EXPECT_NE(depth.texture[1], nullptr);
    EXPECT_NE(depth.dsv(), nullptr);
    EXPECT_EQ(depth.srvs[1], nullptr);
    depth.release();
}

UINT byteWidthOf(ID3D11Buffer* buffer)
{
    D3D11_BUFFER_DESC desc = {};
    buffer->GetDesc(&desc);
    return desc.ByteWidth;
}

BufferDesc bufferDesc(int32_t stride, int32_t count, const void* data = nullptr)
{
    BufferDesc desc;
    desc.stride = stride;
    desc.countX = count;
    desc.initialData = data;
    return desc;
}

TEST(BufferRuntime, ByteWidthIsRoundedToSixteen)
{
    EXPECT_EQ(bufferByteWidth(4, 765, 1, 1), 3072u);
    EXPECT_EQ(bufferByteWidth(16, 1, 1, 1), 16u);
    EXPECT_EQ(bufferByteWidth(4, 32768, 1, 1), 131072u);
    EXPECT_EQ(bufferByteWidth(4, 65536, 65536, 2), 0u);
    EXPECT_EQ(bufferByteWidth(4, -1, 1, 1), 0u);

    BufferRuntime buffer;
    buffer.create(bufferDesc(4, 765), false);
    ASSERT_NE(buffer.buffer[0], nullptr);
    EXPECT_EQ(byteWidthOf(buffer.buffer[0]), 3072u);
    D3D11_SHADER_RESOURCE_VIEW_DESC srvDesc;
    buffer.srv(true)->GetDesc(&srvDesc);
    EXPECT_EQ(srvDesc.Buffer.NumElements, 765u);
    EXPECT_EQ(buffer.rtv(false), nullptr);
    EXPECT_EQ(buffer.dsv(), nullptr);
    buffer.release();
    EXPECT_EQ(buffer.buffer[0], nullptr);
}

TEST(BufferRuntime, DoubleBufferingOnlyStructuredBuffers)
{
    const int32_t values[4] = {1, 2, 3, 4};
    BufferRuntime structured;
    structured.create(bufferDesc(4, 4, values), true);
    ASSERT_NE(structured.buffer[1], nullptr);
    EXPECT_NE(structured.srvs[1], nullptr);
    EXPECT_NE(structured.uavs[1], nullptr);
    EXPECT_EQ(Testing::readBufferAs<int32_t>(structured.buffer[0]), (std::vector<int32_t>{1, 2, 3, 4}));
    EXPECT_EQ(structured.srv(true), structured.srvs[1]);
    structured.parity = true;
    EXPECT_EQ(structured.srv(true), structured.srvs[0]);
    EXPECT_EQ(structured.uav(false), structured.uavs[1]);
    structured.release();

    BufferDesc constantDesc = bufferDesc(16, 1);
    constantDesc.constantBuffer = true;
    BufferRuntime constant;
    constant.create(constantDesc, true);
    ASSERT_NE(constant.buffer[0], nullptr);
    EXPECT_EQ(constant.buffer[1], nullptr);
    EXPECT_EQ(constant.srvs[0], nullptr);
    EXPECT_EQ(constant.uavs[0], nullptr);
    constant.release();
}

std::string writeTempFile(const char* name, const void* bytes, size_t size)
{
    char directory[MAX_PATH];
    GetTempPathA(MAX_PATH, directory);
    const std::string path = std::string(directory) + name;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file != nullptr) {
        std::fwrite(bytes, 1, size, file);
        std::fclose(file);
    }
    return path;
}

TEST(BufferDataRuntime, FromMemoryFromFileAndFromNothing)
{
    const float values[3] = {0.5f, 1.5f, -2.0f};
    BufferDataDesc memoryDesc;
    memoryDesc.elementType = Float32;
    memoryDesc.data = values;
    memoryDesc.count = 3;
    BufferDataRuntime fromMemory;
    EXPECT_TRUE(fromMemory.create(memoryDesc));
    EXPECT_EQ(fromMemory.stride, 4);
    EXPECT_EQ(fromMemory.countX, 3);
    const std::vector<float> readBack = Testing::readBufferAs<float>(fromMemory.buffer[0]);
    ASSERT_EQ(readBack.size(), 4u);  // 12 bytes rounded up to 16
    EXPECT_EQ(readBack[2], -2.0f);
    fromMemory.release();

    const char text[] = "7, 300\r\n-9";
    const std::string path = writeTempFile("nimbra_numbers.txt", text, sizeof text - 1);
    BufferDataDesc fileDesc;
    fileDesc.elementType = Int32;
    std::snprintf(fileDesc.path, sizeof fileDesc.path, "%s", path.c_str());
    BufferDataRuntime fromFile;
    EXPECT_TRUE(fromFile.create(fileDesc));
    EXPECT_EQ(fromFile.count, 3u);
    EXPECT_EQ(Testing::readBufferAs<int32_t>(fromFile.buffer[0]), (std::vector<int32_t>{7, 300, -9, 0}));
    fromFile.release();
    EXPECT_EQ(fromFile.data, nullptr);

    // Bytes parse, but Direct3D refuses a structured buffer whose stride is not a multiple of
    // 4: the block is kept, the buffer stays null.
    fileDesc.elementType = UInt8;
    BufferDataRuntime bytes;
    EXPECT_TRUE(bytes.create(fileDesc));
    ASSERT_EQ(bytes.count, 3u);
    EXPECT_EQ(static_cast<const uint8_t*>(bytes.data)[1], 44);
    EXPECT_EQ(static_cast<const uint8_t*>(bytes.data)[2], 247);
    EXPECT_EQ(bytes.stride, 1);
    EXPECT_EQ(bytes.srv(true), nullptr);
    bytes.release();
    std::remove(path.c_str());

    // A missing file with no count gives a buffer Direct3D refuses: nothing, and no crash.
    BufferDataDesc missingDesc;
    std::snprintf(missingDesc.path, sizeof missingDesc.path, "%s", "no/such/numbers.txt");
    BufferDataRuntime missing;
    EXPECT_TRUE(missing.create(missingDesc));
    EXPECT_EQ(missing.count, 0u);
    EXPECT_EQ(missing.buffer[0], nullptr);
    EXPECT_EQ(missing.srv(true), nullptr);
}

}  // namespace
}  // namespace Gfx
}  // namespace Nimbra
