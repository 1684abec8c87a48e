// The D3DCompile route on this system's d3dcompiler_47.dll. Wine 8's compiler cannot build the
// demo's own programs, so small ones stand in; on Windows the platform's compiler builds them all.
#include "app/live/CompilerMessages.h"
#include "app/live/PlatformShaderCompiler.h"
#include "tests/support/DxbcChecksum.h"

#include <gtest/gtest.h>

namespace Nimbra {
namespace {

CompileResult compile(const std::string& source)
{
    CompileRequest request;
    request.program = "smallPS";
    request.sourcePath = "smallPS.hlsl";
    request.source = source;
    EXPECT_TRUE(programStage(request.program, request.stage));
    PlatformShaderCompiler compiler;
    const std::atomic<bool> wanted{false};
    const CompileResult result = compiler.compile(request, wanted);
    EXPECT_EQ(result.failure, "");
    return result;
}

TEST(PlatformShaderCompiler, BuildsAProgramOrSaysWhereItFailed)
{
    const CompileResult good = compile("float4 pixel_main() : SV_Target\n{\n    return float4(1, 0.5, 0, 1);\n}\n");
    ASSERT_TRUE(good.ok) << good.messages;
    ASSERT_GT(good.bytecode.size(), 4u);
    EXPECT_EQ(std::string(good.bytecode.begin(), good.bytecode.begin() + 4), "DXBC");
    // Signed as Windows requires of every program it takes.
    EXPECT_TRUE(Testing::dxbcChecksumMatches(good.bytecode.data(), good.bytecode.size()));

    const CompileResult bad = compile("float4 pixel_main() : SV_Target\n{\n    return float4(1, 0.5, 0, 1)\n}\n");
    EXPECT_FALSE(bad.ok);
    const std::vector<std::string> messages = compilerMessages(bad.messages);
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.front().rfind("smallPS.hlsl:4: ", 0), 0u) << bad.messages;  // the brace after the missing ';'
}

}  // namespace
}  // namespace Nimbra
