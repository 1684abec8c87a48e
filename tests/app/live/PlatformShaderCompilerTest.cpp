// The D3DCompile route on this system's d3dcompiler_47.dll. Wine 8's compiler cannot build the
// demo's own programs, so small ones stand in; on Windows the platform's compiler builds them all.
#include "app/FilePaths.h"
#include "app/live/CompilerMessages.h"
#include "app/live/PlatformShaderCompiler.h"
#include "tests/support/DxbcChecksum.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <filesystem>

namespace Nimbra {
namespace {

CompileResult compile(const std::string& source, const std::string& sourcePath = "smallPS.hlsl")
{
    CompileRequest request;
    request.program = "smallPS";
    request.sourcePath = sourcePath;
    request.source = source;
    EXPECT_TRUE(programStage(request.program, request.stage));
    PlatformShaderCompiler compiler;
    const std::atomic<bool> wanted{false};
    CompileResult result = compiler.compile(request, wanted);
    EXPECT_EQ(result.failure, "");
    return result;
}

void expectDxbc(const CompileResult& result)
{
    ASSERT_TRUE(result.ok) << result.messages;
    ASSERT_GT(result.bytecode.size(), 4u);
    EXPECT_EQ(std::string(result.bytecode.begin(), result.bytecode.begin() + 4), "DXBC");
    // Signed as Windows requires of every program it takes.
    EXPECT_TRUE(Testing::dxbcChecksumMatches(result.bytecode.data(), result.bytecode.size()));
}

TEST(PlatformShaderCompiler, BuildsAProgramOrSaysWhereItFailed)
{
    expectDxbc(compile("float4 pixel_main() : SV_Target\n{\n    return float4(1, 0.5, 0, 1);\n}\n"));

    const CompileResult bad = compile("float4 pixel_main() : SV_Target\n{\n    return float4(1, 0.5, 0, 1)\n}\n");
    EXPECT_FALSE(bad.ok);
    const std::vector<CompilerMessage> messages = compilerMessages(bad.messages);
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.front().file, "smallPS.hlsl") << bad.messages;
    EXPECT_EQ(messages.front().line, 4u) << bad.messages;  // the brace after the missing ';'
}

// A source in a folder whose name the ANSI code page may not hold, including a file that
// includes another: both come from the source's folder, read by their UTF-8 paths. A file that
// is not there fails the compile and says which.
TEST(PlatformShaderCompiler, ReadsIncludesFromTheSourcesFolderWhateverItsName)
{
    const std::string base = utf8FromPath(std::filesystem::temp_directory_path() /
                                          ("nimbra-includes-" + std::to_string(GetCurrentProcessId())));
    const std::string folder = base + "/sh\u00e4ders";
    std::error_code error;
    std::filesystem::create_directories(pathFromUtf8(folder), error);
    const auto write = [&](const char* name, const char* text) {
        std::FILE* file = openFile((folder + "/" + name).c_str(), "wb");
        ASSERT_NE(file, nullptr) << name;
        std::fputs(text, file);
        std::fclose(file);
    };
    write("tint.hlsli", "#include \"green.hlsli\"\n#define TINT float4(1, GREEN, 0, 1)\n");
    write("green.hlsli", "#define GREEN 0.5\n");
    const std::string source = folder + "/smallPS.hlsl";
    expectDxbc(compile("#include \"tint.hlsli\"\nfloat4 pixel_main() : SV_Target\n{\n    return TINT;\n}\n", source));

    const CompileResult missing =
        compile("#include \"gone.hlsli\"\nfloat4 pixel_main() : SV_Target\n{\n    return 1;\n}\n", source);
    EXPECT_FALSE(missing.ok);
    EXPECT_NE(missing.messages.find("gone.hlsli: cannot be opened"), std::string::npos) << missing.messages;
    std::filesystem::remove_all(pathFromUtf8(base), error);
}

}  // namespace
}  // namespace Nimbra
