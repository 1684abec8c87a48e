#include "app/live/CompilerMessages.h"
#include "app/FilePaths.h"
#include "app/live/FileWatch.h"
#include "app/live/IncludeReader.h"
#include "app/live/SaveWatch.h"
#include "app/live/ProgramStage.h"
#include "app/live/ShaderSources.h"
#include "tests/app/live/LiveFolder.h"

#include <cstring>

namespace Nimbra {
namespace {

using Testing::LiveFolder;
using ShaderSources = LiveFolder;

TEST(ProgramStage, TheNameEndPicksProfileAndEntry)
{
    ProgramStage stage = {};
    ASSERT_TRUE(programStage("scrollerVS", stage));
    EXPECT_STREQ(stage.profile, "vs_5_0");
    EXPECT_STREQ(stage.entry, "vertex_main");
    ASSERT_TRUE(programStage("blurPS", stage));
    EXPECT_STREQ(stage.entry, "pixel_main");
    ASSERT_TRUE(programStage("rotationCS", stage));
    EXPECT_STREQ(stage.profile, "cs_5_0");
    EXPECT_FALSE(programStage("Noise", stage));
    EXPECT_FALSE(programStage("VS", stage));
}

TEST_F(ShaderSources, ReadsTextAndRefusesWhatIsNoShaderSource)
{
    std::string text, why;
    write("good.hlsl", "float4 pixel_main() : SV_Target { return 1; }\n");
    EXPECT_TRUE(readShaderSource(path("good.hlsl"), text, why));
    EXPECT_EQ(text.size(), 46u);

    write("empty.hlsl", "");
    write("binary.hlsl", std::string("DXBC\0\0\1", 7));
    write("huge.hlsl", std::string((1 << 20) + 1, ' '));
    const std::pair<const char*, const char*> refused[] = {{"missing.hlsl", "cannot be opened"},
                                                           {"empty.hlsl", "is empty"},
                                                           {"binary.hlsl", "is not text"},
                                                           {"huge.hlsl", "is larger than 1048576 bytes"}};
    for (const auto& [name, reason] : refused) {
        EXPECT_FALSE(readShaderSource(path(name), text, why)) << name;
        EXPECT_NE(why.find(reason), std::string::npos) << name << ": " << why;
        EXPECT_TRUE(text.empty()) << name;
    }
    write("limit.hlsl", std::string(1 << 20, ' '));  // exactly the limit is read
    EXPECT_TRUE(readShaderSource(path("limit.hlsl"), text, why)) << why;
}

TEST_F(ShaderSources, AProgramReadsItsSourceAndEveryFileItIncludesOnce)
{
    write("aPS.hlsl", "#include \"A.hlsli\"\n#include \"gone.hlsli\"\nfloat x;\n");
    write("A.hlsli", "  #  include \"B.hlsli\" // spaced out\n");
    write("B.hlsli", "#include \"A.hlsli\"\n#include <system.h>\n");  // a cycle, and a system include
    EXPECT_EQ(includedNames("#include \"A.hlsli\"\n#define X 1\n#include\"B.hlsli\"\n// #include \"C\"\n"),
              (std::vector<std::string>{"A.hlsli", "B.hlsli"}));
    EXPECT_EQ(programFiles(folder, "aPS"),
              (std::vector<std::string>{path("aPS.hlsl"), path("A.hlsli"), path("B.hlsli")}));
}

// The program's own include reader, for D3DCompile: the file NAME in the source's folder,
// whatever that folder is called and whichever file includes it, as the watched files have it;
// each text stays put until closed, an empty file is an empty text, a missing or huge one is
// refused with the reason.
TEST_F(ShaderSources, TheIncludeReaderReadsFromTheSourcesFolderUntilClosed)
{
    const std::string sub = "sh\u00e4ders/";
    std::filesystem::create_directories(pathFromUtf8(path(sub + "common")));
    write(sub + "aPS.hlsl", "#include \"inc.hlsli\"\n#include \"common/deep.hlsli\"\n");
    write(sub + "inc.hlsli", "float4 tint;\n");
    write(sub + "common/deep.hlsli", "#include \"empty.hlsli\"\n");
    write(sub + "empty.hlsli", "");
    write(sub + "huge.hlsli", std::string((1 << 20) + 1, ' '));
    EXPECT_EQ(programFiles(path("sh\u00e4ders"), "aPS"),
              (std::vector<std::string>{path(sub + "aPS.hlsl"), path(sub + "inc.hlsli"),
                                        path(sub + "common/deep.hlsli"), path(sub + "empty.hlsli")}));

    IncludeReader reader(path(sub + "aPS.hlsl"));
    std::string why;
    const std::string* inc = reader.open("inc.hlsli", why);
    const std::string* deep = reader.open("common/deep.hlsli", why);
    const std::string* empty = reader.open("empty.hlsli", why);  // from deep.hlsli: still the source's folder
    ASSERT_TRUE(inc && deep && empty) << why;
    EXPECT_EQ(*inc, "float4 tint;\n");
    EXPECT_EQ(*deep, "#include \"empty.hlsli\"\n");
    EXPECT_EQ(*empty, "");
    for (const auto& [name, reason] : {std::pair<const char*, const char*>{"gone.hlsli", "cannot be opened"},
                                       {"huge.hlsli", "is larger than 1048576 bytes"}}) {
        EXPECT_EQ(reader.open(name, why), nullptr) << name;
        EXPECT_NE(why.find(reason), std::string::npos) << name << ": " << why;
    }
    EXPECT_EQ(reader.openTexts(), 3u);
    reader.close(nullptr);
    reader.close(inc->data());
    EXPECT_EQ(reader.openTexts(), 2u);
    EXPECT_EQ(*deep, "#include \"empty.hlsli\"\n");  // the others stay where they were
    reader.close(empty->data());
    reader.close(deep->data());
    EXPECT_EQ(reader.openTexts(), 0u);
}

TEST_F(ShaderSources, ASaveIsReportedOnceItHeldStillForAPoll)
{
    write("a.hlsl", "one");
    write("b.hlsl", "two");
    FileWatch watch;
    watch.watch(path("a.hlsl"));
    watch.watch(path("b.hlsl"));
    watch.watch(path("a.hlsl"));
    EXPECT_TRUE(watch.poll().empty());  // nothing changed since watching began

    write("a.hlsl", "one, saved");
    EXPECT_TRUE(watch.poll().empty());  // just changed: it may still be being written
    EXPECT_EQ(watch.poll(), std::vector<std::string>{path("a.hlsl")});
    EXPECT_TRUE(watch.poll().empty());  // reported once

    write("b.hlsl", "tw");
    EXPECT_TRUE(watch.poll().empty());
    write("b.hlsl", "two, saved twice");  // changed again before it held still
    EXPECT_TRUE(watch.poll().empty());
    EXPECT_EQ(watch.poll(), std::vector<std::string>{path("b.hlsl")});
    write("b.hlsl", "two, saved three times", true);  // within the same tick: the size tells
    watch.poll();
    EXPECT_EQ(watch.poll(), std::vector<std::string>{path("b.hlsl")});

    std::filesystem::remove(path("a.hlsl"));
    watch.poll();
    EXPECT_EQ(watch.poll(), std::vector<std::string>{path("a.hlsl")});
    EXPECT_FALSE(stampOf(path("a.hlsl")).exists);
}

// The same rule on a thread of its own; the test waits for it to notice, never for a time.
TEST_F(ShaderSources, ASaveWatchNoticesOnItsOwnThreadUntilItStops)
{
    write("a.hlsl", "one");
    write("b.hlsl", "two");
    SaveWatch saves(1);
    saves.watch(path("a.hlsl"));
    saves.watch(path("b.hlsl"));
    const auto noticed = [&] {
        std::vector<std::string> paths;
        while ((paths = saves.poll()).empty())
            std::this_thread::yield();
        return paths;
    };
    save("a.hlsl", "one, saved");
    EXPECT_EQ(noticed(), std::vector<std::string>{path("a.hlsl")});
    save("b.hlsl", "two, saved");
    EXPECT_EQ(noticed(), std::vector<std::string>{path("b.hlsl")});  // and a only once
    saves.stop();
    save("a.hlsl", "one, saved again");
    std::this_thread::yield();
    EXPECT_TRUE(saves.poll().empty());  // nobody watches any more
}

TEST(CompilerMessages, BothCompilersBecomeFileLineMessage)
{
    const std::string output = "/src/combinePS.hlsl:19:30: E5017: Aborting due to not yet implemented feature.\n"
                               "\n"
                               "C:\\src\\blurPS.hlsl(111,34-40): error X3004: undeclared identifier 'frac2'\r\n"
                               "C:\\src\\blurPS.hlsl(7,1): warning X3206: implicit truncation\n"
                               "/src/Noise.hlsli:4: E5000: syntax error\n"
                               "compilation failed; no code produced\n";
    EXPECT_EQ(compilerMessages(output),
              (std::vector<CompilerMessage>{{"/src/combinePS.hlsl", 19, "Aborting due to not yet implemented feature."},
                                            {"C:\\src\\blurPS.hlsl", 111, "undeclared identifier 'frac2'"},
                                            {"C:\\src\\blurPS.hlsl", 7, "implicit truncation"},
                                            {"/src/Noise.hlsli", 4, "syntax error"},
                                            {"", 0, "compilation failed; no code produced"}}));
}

}  // namespace
}  // namespace Nimbra
