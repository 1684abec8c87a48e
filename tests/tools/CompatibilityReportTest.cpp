// The report's verdict line and its figures, worked out by hand.
#include "tools/capture/CompatibilityReport.h"

#include <gtest/gtest.h>

namespace Nimbra {
namespace {

TEST(CompatibilityReport, OneLineNamesEveryProblem)
{
    const struct {
        CompatibilityFacts facts;
        const char* line;
    } cases[] = {
        {{true, 0xb000, true, 0}, "compatibility: ok"},
        {{true, 0xc100, true, 0}, "compatibility: ok"},
        {{false, 0, true, 0}, "compatibility: problem: no Direct3D 11 device"},
        {{true, 0xa100, true, 0}, "compatibility: problem: feature level 10_1, below 11_0"},
        {{true, 0xb000, false, 0}, "compatibility: problem: no sound device"},
        {{true, 0xb000, true, 1}, "compatibility: problem: 1 debug layer error"},
        {{false, 0, false, 3}, "compatibility: problem: no Direct3D 11 device; no sound device; 3 debug layer errors"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(compatibilityLine(c.facts), c.line);
}

TEST(CompatibilityReport, CorruptionAndErrorsFailTheRestIsPrinted)
{
    // D3D11_MESSAGE_SEVERITY: corruption, error, warning, info, message.
    const bool fails[] = {true, true, false, false, false};
    for (uint32_t severity = 0; severity < 5; ++severity)
        EXPECT_EQ(debugSeverityFails(severity), fails[severity]) << severity;
}

TEST(CompatibilityReport, LevelsAndDriverVersionsReadAsWindowsShowsThem)
{
    EXPECT_EQ(featureLevelName(0xb000), "11_0");
    EXPECT_EQ(featureLevelName(0xa100), "10_1");
    EXPECT_EQ(featureLevelName(0xc200), "12_2");
    // 31.0.15.5222: 0x001f 0x0000 0x000f 0x1466.
    EXPECT_EQ(driverVersionName(0x001f0000000f1466ull), "31.0.15.5222");
}

}  // namespace
}  // namespace Nimbra
