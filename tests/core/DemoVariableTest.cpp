#include "core/DemoVariable.h"

#include <gtest/gtest.h>

#include <string>

using Nimbra::DemoVariable;
using Nimbra::makeDemoVariable;
using Nimbra::VariableType;
using Nimbra::variableTypeSize;

TEST(DemoVariable, NameIsCopiedWithItsNulAndZeroFilled)
{
    DemoVariable variable = makeDemoVariable("KRNSIZE", VariableType::Float, 8.0f);
    EXPECT_STREQ(variable.name, "KRNSIZE");
    for (size_t i = 7; i < sizeof variable.name; ++i)
        ASSERT_EQ(variable.name[i], 0) << i;
    EXPECT_EQ(variable.type, 0);
    EXPECT_EQ(variable.value[0], 8.0f);
    EXPECT_EQ(variable.value[1], 0.0f);
    EXPECT_EQ(variable.value[2], 0.0f);
    EXPECT_EQ(variable.value[3], 0.0f);
}

TEST(DemoVariable, OverlongNamesAreCutTo255Characters)
{
    std::string longName(300, 'x');
    DemoVariable variable = makeDemoVariable(longName.c_str(), VariableType::Float4, 1, 2, 3, 4);
    EXPECT_EQ(std::string(variable.name).size(), 255u);
    EXPECT_EQ(variable.name[255], 0);
    EXPECT_EQ(variable.type, 3);
    EXPECT_EQ(variable.value[3], 4.0f);
}

TEST(DemoVariable, TypeCodesGiveTheirByteSizes)
{
    EXPECT_EQ(variableTypeSize(0), 4u);
    EXPECT_EQ(variableTypeSize(1), 8u);
    EXPECT_EQ(variableTypeSize(2), 12u);
    EXPECT_EQ(variableTypeSize(3), 16u);
    EXPECT_EQ(variableTypeSize(4), 4u);
}
