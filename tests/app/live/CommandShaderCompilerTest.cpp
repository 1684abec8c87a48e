// The host's compiler route end to end on this machine: scripts/compile-shader.sh with the
// project's own compiler, started in the background the way demo-sync starts it, answering
// through its files.
#include "app/live/CommandShaderCompiler.h"
#include "tests/app/live/LiveFolder.h"
#include "tests/support/DxbcChecksum.h"

#include <cstdlib>

namespace Nimbra {
namespace {

class CommandShaderCompilerTest : public Testing::LiveFolder
{
protected:
    // Compiles `source` as program `name`; waits for the job's files, however long it takes.
    CompileResult compile(const std::string& name, const std::string& source)
    {
        write(name + ".hlsl", source);
        CommandShaderCompiler compiler(
            std::string(NIMBRA_SOURCE_DIR) + "/scripts/compile-shader.sh", folder,
            [this](const std::string& line) {
                commandLines.push_back(line);
                return std::system((line + " &").c_str()) == 0;
            },
            [](const std::string& path) { return path; });
        CompileRequest request;
        request.program = name;
        request.sourcePath = path(name + ".hlsl");
        request.source = source;
        EXPECT_TRUE(programStage(name, request.stage));
        std::string why;
        EXPECT_TRUE(compiler.start(request, why)) << why;
        CompileResult result;
        while (!compiler.finished(result))
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        return result;
    }

    std::vector<std::string> commandLines;
};

TEST_F(CommandShaderCompilerTest, AGoodProgramBecomesBytecodeAndABadOneItsMessages)
{
    write("Colour.hlsli", "static const float4 Colour = float4(1, 0.5, 0, 1);\n");
    const CompileResult good =
        compile("goodPS", "#include \"Colour.hlsli\"\nfloat4 pixel_main() : SV_Target { return Colour; }\n");
    ASSERT_TRUE(good.ok) << good.messages;
    ASSERT_GT(good.bytecode.size(), 4u);
    EXPECT_EQ(std::string(good.bytecode.begin(), good.bytecode.begin() + 4), "DXBC");
    // Signed as Windows requires of every program it takes.
    EXPECT_TRUE(Testing::dxbcChecksumMatches(good.bytecode.data(), good.bytecode.size()));
    EXPECT_EQ(commandLines.back(), std::string(NIMBRA_SOURCE_DIR) + "/scripts/compile-shader.sh ps_5_0 pixel_main " +
                                       path("goodPS.hlsl") + " " + folder + "/goodPS-1.dxbc");

    const CompileResult bad = compile("badVS", "float4 vertex_main() : SV_Position\n{\n    return nothing;\n}\n");
    EXPECT_FALSE(bad.ok);
    EXPECT_TRUE(bad.bytecode.empty());
    EXPECT_NE(bad.messages.find(path("badVS.hlsl") + ":3:"), std::string::npos) << bad.messages;

    // The job's files are gone once it has answered.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 3);  // the three sources
}

TEST(QuotedArgument, QuotesWhatACommandLineWouldSplit)
{
    EXPECT_EQ(quotedArgument("/plain/path.hlsl"), "/plain/path.hlsl");
    EXPECT_EQ(quotedArgument("C:\\with space\\a.hlsl"), "\"C:\\with space\\a.hlsl\"");
    EXPECT_EQ(quotedArgument("say \"hi\""), "\"say \\\"hi\\\"\"");
    EXPECT_EQ(quotedArgument("ends in\\"), "\"ends in\\\\\"");
    EXPECT_EQ(quotedArgument(""), "\"\"");
}

} // namespace
} // namespace Nimbra
