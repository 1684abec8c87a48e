// The Windows programs as files, read natively from the Windows build: the application manifest
// each carries (per-monitor DPI awareness, the supported versions of Windows) and the exports
// that ask a two-GPU laptop's driver for the fast GPU.
#include "tests/support/PeImage.h"
#include "tools/common/ReadFile.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace Nimbra {
namespace {

struct Program {
    const char* file;
    bool asksForTheFastGpu;
};

const Program programs[] = {
    {"demo.exe", true},
    {"demo-sync.exe", true},
    {"demo-capture.exe", false},
};

constexpr uint32_t manifestType = 24;  // RT_MANIFEST
constexpr uint32_t manifestId = 1;     // CREATEPROCESS_MANIFEST_RESOURCE_ID

class ProgramImage : public testing::TestWithParam<Program>
{
protected:
    void SetUp() override
    {
        const std::string path = std::string(NIMBRA_WINDOWS_BUILD_DIR) + "/" + GetParam().file;
        ASSERT_TRUE(readFile(path.c_str(), file)) << path << " is missing: build the Windows programs first";
        ASSERT_TRUE(openPeImage(file.data(), file.size(), image)) << path;
    }

    std::vector<uint8_t> file;
    PeImage image;
};

// The text of the first element `name` (its attributes skipped), or "" when there is none.
std::string elementText(const std::string& xml, const std::string& name)
{
    const size_t open = xml.find("<" + name + " ");
    const size_t start = open == std::string::npos ? open : xml.find('>', open);
    const size_t end = start == std::string::npos ? start : xml.find('<', start);
    return end == std::string::npos ? "" : xml.substr(start + 1, end - start - 1);
}

// Every Id of a supportedOS element.
std::set<std::string> supportedSystems(const std::string& xml)
{
    std::set<std::string> ids;
    const std::string tag = "<supportedOS Id=\"";
    for (size_t at = xml.find(tag); at != std::string::npos; at = xml.find(tag, at + 1)) {
        const size_t start = at + tag.size();
        ids.insert(xml.substr(start, xml.find('"', start) - start));
    }
    return ids;
}

TEST_P(ProgramImage, ManifestAsksForPerMonitorDpiAndNamesTheSupportedSystems)
{
    std::string manifest;
    ASSERT_TRUE(findPeResource(image, manifestType, manifestId, manifest));
    EXPECT_EQ(elementText(manifest, "dpiAwareness"), "PerMonitorV2");
    EXPECT_EQ(elementText(manifest, "dpiAware"), "true/pm");
    const std::set<std::string> systems = {
        "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  // Windows 8.1
        "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  // Windows 10 and 11
    };
    EXPECT_EQ(supportedSystems(manifest), systems);
}

// Each driver reads its export as a 32-bit value; 1 asks for the discrete GPU.
TEST_P(ProgramImage, ExportsAskForTheFastGpu)
{
    for (const char* name : {"NvOptimusEnablement", "AmdPowerXpressRequestHighPerformance"}) {
        uint32_t rva = 0;
        const bool exported = findPeExport(image, name, rva);
        EXPECT_EQ(exported, GetParam().asksForTheFastGpu) << name;
        if (!exported)
            continue;
        const uint8_t* value = peBytesAt(image, rva, 4);
        ASSERT_NE(value, nullptr) << name;
        EXPECT_EQ(value[0] | value[1] << 8 | value[2] << 16 | uint32_t(value[3]) << 24, 1u) << name;
    }
}

// The reader stays inside the bytes it is given: every cut of demo.exe through its headers, and
// cuts spread over the whole file, each in a block of exactly its size (the sanitizers' build
// catches a read past it). The manifest is found only in cuts that hold its whole section.
TEST(PeImageBounds, ACutImageIsReadOnlyWithinItsBytes)
{
    std::vector<uint8_t> file;
    ASSERT_TRUE(readFile((std::string(NIMBRA_WINDOWS_BUILD_DIR) + "/demo.exe").c_str(), file));
    PeImage whole;
    ASSERT_TRUE(openPeImage(file.data(), file.size(), whole));
    size_t resourcesEnd = 0;
    for (const PeSection& s : whole.sections)
        if (whole.resourceRva >= s.virtualAddress && whole.resourceRva - s.virtualAddress < s.rawSize)
            resourcesEnd = size_t(s.rawOffset) + (s.virtualSize < s.rawSize ? s.virtualSize : s.rawSize);
    ASSERT_GT(resourcesEnd, 0u);

    std::vector<size_t> cuts;
    for (size_t cut = 0; cut < 1024 && cut < file.size(); ++cut)
        cuts.push_back(cut);
    for (size_t part = 1; part <= 64; ++part)
        cuts.push_back(file.size() / 64 * part);
    for (size_t cut : cuts) {
        const std::vector<uint8_t> head(file.begin(), file.begin() + cut);
        PeImage image;
        std::string manifest;
        uint32_t rva = 0;
        const bool found =
            openPeImage(head.data(), head.size(), image) && findPeResource(image, manifestType, manifestId, manifest);
        EXPECT_EQ(found, cut >= resourcesEnd) << cut;
        if (findPeExport(image, "NvOptimusEnablement", rva))
            peBytesAt(image, rva, 4);
    }
}

INSTANTIATE_TEST_SUITE_P(Programs, ProgramImage, testing::ValuesIn(programs),
                         [](const testing::TestParamInfo<Program>& info) {
                             std::string name = info.param.file;
                             name = name.substr(0, name.find('.'));
                             for (char& c : name)
                                 if (c == '-')
                                     c = '_';
                             return name;
                         });

}  // namespace
}  // namespace Nimbra
