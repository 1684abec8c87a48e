#include "gfx/ElementType.h"
#include "gfx/NumberFile.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace Nimbra {
namespace Gfx {
namespace {

template <typename T>
std::vector<T> parse(std::string text, int32_t elementType)
{
    void* data = nullptr;
    uint32_t count = 0;
    const std::string original = text;
    parseNumbers(&text[0], elementType, data, count);
    EXPECT_EQ(text, original) << "the text is restored after parsing";
    std::vector<T> elements(count);
    if (count > 0)
        std::memcpy(elements.data(), data, count * sizeof(T));
    std::free(data);
    return elements;
}

TEST(NumberFile, SeparatorsAreSpaceCommaAndNewline)
{
    EXPECT_EQ(parse<int32_t>("1, 2,3\n4", Int32), (std::vector<int32_t>{1, 2, 3, 4}));
    EXPECT_EQ(parse<int32_t>(",,, 7 ,", Int32), (std::vector<int32_t>{7}));
    EXPECT_EQ(parse<float>("1.5 -2", Float32), (std::vector<float>{1.5f, -2.0f}));
    EXPECT_TRUE(parse<int32_t>("", Int32).empty());
    EXPECT_TRUE(parse<int32_t>(" ,\n", Int32).empty());
}

TEST(NumberFile, OtherCharactersStayInTheirToken)
{
    // The carriage return ends the number but not the token.
    EXPECT_EQ(parse<int32_t>("1\r\n2\r\n", Int32), (std::vector<int32_t>{1, 2}));
    // A tab is not a separator: "5\t6" is one token that reads as 5.
    EXPECT_EQ(parse<int32_t>("5\t6 8", Int32), (std::vector<int32_t>{5, 8}));
    EXPECT_EQ(parse<int32_t>("abc 12x -3", Int32), (std::vector<int32_t>{0, 12, -3}));
    EXPECT_EQ(parse<float>("0x10 2.5e1", Float32), (std::vector<float>{16.0f, 25.0f}));
}

TEST(NumberFile, UInt8KeepsTheLowByte)
{
    EXPECT_EQ(parse<uint8_t>("300", UInt8), (std::vector<uint8_t>{44}));
    EXPECT_EQ(parse<uint8_t>("0 255 256 -1", UInt8), (std::vector<uint8_t>{0, 255, 0, 255}));
}

TEST(NumberFile, OverflowSaturates)
{
    EXPECT_EQ(parse<int32_t>("2147483647 2147483648 -99999999999 99999999999999999999999", Int32),
              (std::vector<int32_t>{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MAX}));
    EXPECT_EQ(parse<float>("1e39 -1e39", Float32), (std::vector<float>{FLT_MAX, -FLT_MAX}));
    EXPECT_EQ(parse<uint8_t>("99999999999", UInt8), (std::vector<uint8_t>{0xFF}));
}

// The block reaches the next multiple of 16 bytes with zeros, as the buffer made from it does
// (the sanitizers' build catches a block that stops short).
TEST(NumberFile, BlockIsPaddedToSixteenBytes)
{
    std::string text = "1 2 3 4 5";
    void* data = nullptr;
    uint32_t count = 0;
    parseNumbers(&text[0], Int32, data, count);
    ASSERT_EQ(count, 5u);
    std::vector<int32_t> block(8);
    std::memcpy(block.data(), data, 32);
    EXPECT_EQ(block, (std::vector<int32_t>{1, 2, 3, 4, 5, 0, 0, 0}));
    std::free(data);
}

TEST(NumberFile, UnknownElementTypeStoresNothing)
{
    std::string text = "1 2 3";
    void* data = nullptr;
    uint32_t count = 0;
    parseNumbers(&text[0], 7, data, count);
    EXPECT_EQ(count, 3u);
    EXPECT_EQ(elementSize(7), 0u);
    std::free(data);
}

TEST(NumberFile, LoadsAFileAndLeavesAMissingOneAlone)
{
    const std::string path = ::testing::TempDir() + "nimbra_numbers.txt";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fputs("10,20\r\n30\r\n", file);
    std::fclose(file);

    void* data = nullptr;
    uint32_t count = 0;
    ASSERT_TRUE(loadNumberFile(path.c_str(), Int32, data, count));
    ASSERT_EQ(count, 3u);
    EXPECT_EQ(static_cast<int32_t*>(data)[0], 10);
    EXPECT_EQ(static_cast<int32_t*>(data)[2], 30);
    std::free(data);
    std::remove(path.c_str());

    void* untouched = &count;
    uint32_t untouchedCount = 5;
    EXPECT_FALSE(loadNumberFile((path + ".missing").c_str(), Int32, untouched, untouchedCount));
    EXPECT_EQ(untouched, &count);
    EXPECT_EQ(untouchedCount, 5u);
}

}  // namespace
}  // namespace Gfx
}  // namespace Nimbra
