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

// A two-GPU laptop: the integrated GPU first, the discrete one second, and the Basic Render
// Driver, which has no memory of its own and is never the one to pick.
const uint64_t mib = 1ull << 20;

std::vector<AdapterFacts> laptop(size_t used)
{
    std::vector<AdapterFacts> adapters = {
        {"Intel(R) Iris(R) Xe Graphics", 0x8086, 0x9a49, 128 * mib, 8031 * mib, false, false},
        {"NVIDIA GeForce RTX 3050 Laptop GPU", 0x10de, 0x25a2, 4096 * mib, 7975 * mib, false, false},
        {"Microsoft Basic Render Driver", 0x1414, 0x008c, 0, 8031 * mib, true, false},
    };
    adapters[used].used = true;
    return adapters;
}

TEST(CompatibilityReport, EveryAdapterIsListedAndTheDevicesMarked)
{
    EXPECT_EQ(adapterLines(laptop(1)),
              "adapter 0: Intel(R) Iris(R) Xe Graphics (vendor 0x8086, device 0x9a49), 128 MiB of its own memory, "
              "8031 MiB shared\n"
              "adapter 1: NVIDIA GeForce RTX 3050 Laptop GPU (vendor 0x10de, device 0x25a2), 4096 MiB of its own "
              "memory, 7975 MiB shared <- the device\n"
              "adapter 2: Microsoft Basic Render Driver (vendor 0x1414, device 0x008c), 0 MiB of its own memory, "
              "8031 MiB shared\n");
    const std::string onIntegrated = adapterLines(laptop(0));
    EXPECT_NE(onIntegrated.find("memory, 8031 MiB shared <- the device\nadapter 1: NVIDIA"), std::string::npos);
    EXPECT_NE(onIntegrated.find("\nadapter note: the device is not on adapter 1 (NVIDIA GeForce RTX 3050 Laptop GPU)"),
              std::string::npos);
    // On the software adapter the note names the discrete GPU too; one adapter alone has no note.
    EXPECT_NE(adapterLines(laptop(2)).find("not on adapter 1 "), std::string::npos);
    EXPECT_EQ(adapterLines({laptop(1)[0]}).find("note"), std::string::npos);
    EXPECT_EQ(adapterLines({}), "adapter: none listed\n");
}

TEST(CompatibilityReport, TheOutputIsThePrimaryScreensWithItsOwnDpi)
{
    const OutputFacts second = {"\\\\.\\DISPLAY2", 1, 2560, 1440, 144, 144, true};
    EXPECT_EQ(
        outputLine(&second),
        "output: \\\\.\\DISPLAY2 (the primary screen, on adapter 1), 2560 x 1440, 144 Hz, 144 dpi (scaling 150 %)\n");
    const OutputFacts old = {"\\\\.\\DISPLAY1", 0, 1920, 1080, 0, 120, false};
    EXPECT_EQ(outputLine(&old), "output: \\\\.\\DISPLAY1 (the primary screen, on adapter 0), 1920 x 1080, refresh rate "
                                "not reported, 120 dpi, the system's (scaling 125 %)\n");
    EXPECT_EQ(outputLine(nullptr), "output: no adapter's output holds the primary screen\n");
}

}  // namespace
}  // namespace Nimbra
