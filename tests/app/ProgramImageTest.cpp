// The Windows programs as files, read natively from the Windows build: the application manifest
// each carries (per-monitor DPI awareness, the supported versions of Windows), the exports that
// ask a two-GPU laptop's driver for the fast GPU, and the DLLs they import: demo.exe's stay as
// they are, and only demo-sync may hold the editor's library (Dear ImGui, which imports the
// system's shader compiler).
#include "tests/support/PeImage.h"
#include "tools/common/ReadFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <set>
#include <string>

namespace Nimbra {
namespace {

struct Program {
    const char* file;
    bool asksForTheFastGpu;
};

// demo-capture too: its report and pass times are of the GPU the demo gets.
const Program programs[] = {
    {"demo.exe", true},
    {"demo-sync.exe", true},
    {"demo-capture.exe", true},
};

constexpr uint32_t manifestType = 24;  // RT_MANIFEST
constexpr uint32_t manifestId = 1;     // CREATEPROCESS_MANIFEST_RESOURCE_ID

std::string programPath(const char* file)
{
    return std::string(NIMBRA_WINDOWS_BUILD_DIR) + "/" + file;
}

// The program `name` of the Windows build, read and opened.
bool openProgram(const char* name, std::vector<uint8_t>& file, PeImage& image)
{
    return readFile(programPath(name).c_str(), file) && openPeImage(file.data(), file.size(), image);
}

// The host build runs beside a Windows build or alone. Alone, the folder holds none of the
// programs and every case is skipped, saying so (ctest reads the reason as a skip); once one
// is there, all are read, and a missing one fails.
class WindowsBuild : public testing::Test
{
protected:
    void SetUp() override
    {
        std::error_code error;
        for (const Program& program : programs)
            if (std::filesystem::exists(programPath(program.file), error))
                return;
        GTEST_SKIP() << "no Windows programs in " << NIMBRA_WINDOWS_BUILD_DIR << ": make win64 builds them";
    }
};

class ProgramImage : public WindowsBuild, public testing::WithParamInterface<Program>
{
protected:
    void SetUp() override
    {
        WindowsBuild::SetUp();
        if (IsSkipped())
            return;
        ASSERT_TRUE(openProgram(GetParam().file, file, image))
            << programPath(GetParam().file) << " is missing or unreadable: build the Windows programs first";
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
    // Windows 10 1607 knows PerMonitor but not PerMonitorV2, and reads no dpiAware beside the list.
    EXPECT_EQ(elementText(manifest, "dpiAwareness"), "PerMonitorV2, PerMonitor");
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

std::string lowerCase(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

std::set<std::string> importedDlls(const PeImage& image)
{
    std::vector<std::string> dlls;
    EXPECT_TRUE(listPeImports(image, dlls));
    std::set<std::string> names;
    for (const std::string& dll : dlls)
        names.insert(lowerCase(dll));
    return names;
}

// The window, Direct3D 11 with composition, the C runtime and the multimedia timer: nothing more.
TEST_F(WindowsBuild, DemoImportsTheDllsItAlwaysHas)
{
    std::vector<uint8_t> file;
    PeImage image;
    ASSERT_TRUE(openProgram("demo.exe", file, image));
    const std::set<std::string> dlls = {"d3d11.dll",  "dcomp.dll",  "kernel32.dll",
                                        "msvcrt.dll", "user32.dll", "winmm.dll"};
    EXPECT_EQ(importedDlls(image), dlls);
}

// The editor's library names itself in its strings (its defaults "imgui.ini" and
// "imgui_log.txt", its back ends' names, "Dear ImGui" in its own windows; "imgui" alone could be
// a checkout's folder) and needs the system's shader compiler, d3dcompiler_47.dll, which the
// programs without an editor neither import nor load.
TEST_F(WindowsBuild, OnlyDemoSyncHoldsTheEditorLibrary)
{
    for (const char* name : {"demo.exe", "demo-capture.exe"}) {
        std::vector<uint8_t> file;
        PeImage image;
        ASSERT_TRUE(openProgram(name, file, image)) << name;
        for (const std::string& dll : importedDlls(image))
            EXPECT_NE(dll.rfind("d3dcompiler", 0), 0u) << name << " imports " << dll;
        const std::string bytes = lowerCase(std::string(file.begin(), file.end()));
        for (const char* mark : {"imgui.ini", "imgui_log.txt", "imgui_impl_", "dear imgui", "d3dcompiler"})
            EXPECT_EQ(bytes.find(mark), std::string::npos) << name << " holds \"" << mark << "\"";
    }
    // demo-sync's editor is drawn with it, and its back end imports the system's compiler.
    std::vector<uint8_t> file;
    PeImage image;
    ASSERT_TRUE(openProgram("demo-sync.exe", file, image));
    EXPECT_EQ(importedDlls(image).count("d3dcompiler_47.dll"), 1u);
    EXPECT_NE(lowerCase(std::string(file.begin(), file.end())).find("imgui_impl_"), std::string::npos);
}

// The reader stays inside the bytes it is given: every cut of demo.exe through its headers, and
// cuts spread over the whole file, each in a block of exactly its size (the sanitizers' build
// catches a read past it), looking for the manifest, an export and the imports. The manifest is
// found only in cuts that hold its whole section.
TEST_F(WindowsBuild, ACutImageIsReadOnlyWithinItsBytes)
{
    std::vector<uint8_t> file;
    ASSERT_TRUE(readFile(programPath("demo.exe").c_str(), file));
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
        std::vector<std::string> dlls;
        listPeImports(image, dlls);
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
