#include "gfx/VariableBlock.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace Nimbra {
namespace Gfx {
namespace {

float floatAt(const uint8_t* data, uint32_t offset)
{
    float value;
    std::memcpy(&value, data + offset, sizeof value);
    return value;
}

GrowArray<DemoVariable> floats(uint32_t count)
{
    GrowArray<DemoVariable> variables;
    for (uint32_t i = 0; i < count; ++i)
        variables.push(makeDemoVariable("V", VariableType::Float, 100.0f + static_cast<float>(i), 7.0f, 7.0f, 7.0f));
    return variables;
}

TEST(VariableBlock, SixtyFourFloatsFillTheShippedConstantSize)
{
    VariableBlock block;
    block.rebuild(floats(64));
    EXPECT_EQ(block.byteCount, 256u);
    ASSERT_EQ(block.offsets.count, 65u);
    EXPECT_EQ(block.offsets[5], 20u);
    EXPECT_EQ(block.offsets[64], 256u);

    ContextBuffer header = {};
    header.time = 1.5f;
    header.frame = 90;
    uint32_t size = 0;
    uint8_t* data = buildConstantData(header, block, size);
    EXPECT_EQ(size, 864u);
    EXPECT_EQ(std::memcmp(data, &header, sizeof header), 0);
    EXPECT_EQ(floatAt(data, 628), 105.0f);
    EXPECT_EQ(floatAt(data, 608), 100.0f);
    EXPECT_EQ(floatAt(data, 860), 163.0f);
    std::free(data);
}

TEST(VariableBlock, WiderTypesPackWithoutPadding)
{
    GrowArray<DemoVariable> variables;
    variables.push(makeDemoVariable("Colour", VariableType::Float3, 1.0f, 2.0f, 3.0f, 4.0f));
    variables.push(makeDemoVariable("Gain", VariableType::Float, 5.0f, 6.0f));
    VariableBlock block;
    block.rebuild(variables);
    ASSERT_EQ(block.offsets.count, 3u);
    EXPECT_EQ(block.offsets[0], 0u);
    EXPECT_EQ(block.offsets[1], 12u);
    EXPECT_EQ(block.offsets[2], 16u);

    uint32_t size = 0;
    uint8_t* data = buildConstantData(ContextBuffer{}, block, size);
    EXPECT_EQ(size, 624u);
    // value[3] of the float3 stays out; the float follows right after its third component.
    EXPECT_EQ(floatAt(data, 616), 3.0f);
    EXPECT_EQ(floatAt(data, 620), 5.0f);
    std::free(data);
}

TEST(VariableBlock, EmptyAndRepeatedRebuilds)
{
    VariableBlock block;
    block.rebuild(GrowArray<DemoVariable>());
    EXPECT_EQ(block.byteCount, 0u);
    EXPECT_EQ(block.offsets.count, 1u);
    uint32_t size = 0;
    uint8_t* data = buildConstantData(ContextBuffer{}, block, size);
    EXPECT_EQ(size, 608u);
    std::free(data);

    // Each frame packs afresh from the current values.
    GrowArray<DemoVariable> variables = floats(3);
    block.rebuild(variables);
    variables[1].value[0] = -1.0f;
    block.releasePacking();
    block.rebuild(variables);
    EXPECT_EQ(block.offsets.count, 4u);
    EXPECT_EQ(block.snapshot.count, 3u);
    EXPECT_EQ(floatAt(block.bytes, 4), -1.0f);
    // A rebuild without releasing first starts over too.
    block.rebuild(floats(2));
    EXPECT_EQ(block.offsets.count, 3u);
    EXPECT_EQ(block.byteCount, 8u);
}

TEST(VariableBlock, OddSizesRoundUpToSixteen)
{
    EXPECT_EQ(constantDataSize(0), 608u);
    EXPECT_EQ(constantDataSize(4), 624u);
    EXPECT_EQ(constantDataSize(16), 624u);
    EXPECT_EQ(constantDataSize(20), 640u);
}

}  // namespace
}  // namespace Gfx
}  // namespace Nimbra
