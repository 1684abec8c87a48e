// The UTF-8 names of the programs against the UTF-16 that Windows takes, unit by unit as the
// Unicode standard encodes them; and what is neither refused without a throw.
#include "app/FilePaths.h"

#include <gtest/gtest.h>

using namespace Nimbra;

namespace {

// clang-format off
const struct {
    const char* utf8;
    std::wstring utf16;
} spellings[] = {
    {"", {}},
    {"shaders", {L's', L'h', L'a', L'd', L'e', L'r', L's'}},
    {"sh\xC3\xA4" "ders", {L's', L'h', 0x00E4, L'd', L'e', L'r', L's'}},  // U+00E4, in the ANSI code page
    {"\xCF\x89.xm", {0x03C9, L'.', L'x', L'm'}},                          // U+03C9, beyond it
    {"\xE6\x97\xA5", {0x65E5}},                                            // U+65E5, three bytes
    {"a\xF0\x9D\x84\x9E", {L'a', 0xD834, 0xDD1E}},                         // U+1D11E, a surrogate pair
    {"\xF4\x8F\xBF\xBF", {0xDBFF, 0xDFFF}},                                // U+10FFFF, the last there is
};
// clang-format on

// Bytes that are not UTF-8, the first as the ANSI code page spells "ä".
// clang-format off
const char* const notUtf8[] = {
    "sh\xE4" "ders", "\xC3", "\x80", "\xC0\xAF", "\xED\xA0\x80", "\xF0\x9D\x84", "\xF4\x90\x80\x80", "\xFF",
};
// clang-format on

// UTF-16 with a lone surrogate, which Windows allows in a file name.
const std::wstring notUtf16[] = {{0xD834}, {L'a', 0xDD1E, L'b'}, {0xDD1E, 0xD834}};

}  // namespace

TEST(WidePaths, Utf8AndUtf16SpellTheSameNames)
{
    for (const auto& spelling : spellings) {
        std::wstring wide = L"left over";
        EXPECT_TRUE(wideFromUtf8(spelling.utf8, wide)) << spelling.utf8;
        EXPECT_EQ(wide, spelling.utf16) << spelling.utf8;
        std::string text = "left over";
        EXPECT_TRUE(utf8FromWide(spelling.utf16, text)) << spelling.utf8;
        EXPECT_EQ(text, spelling.utf8);
        EXPECT_EQ(pathFromUtf8(spelling.utf8).native(), spelling.utf16) << spelling.utf8;
        EXPECT_EQ(utf8FromPath(std::filesystem::path(spelling.utf16)), spelling.utf8);
    }
}

TEST(WidePaths, WhatIsNotUnicodeIsRefused)
{
    for (const char* bytes : notUtf8) {
        std::wstring wide = L"left over";
        EXPECT_FALSE(wideFromUtf8(bytes, wide)) << testing::PrintToString(bytes);
        EXPECT_TRUE(wide.empty());
        EXPECT_TRUE(pathFromUtf8(bytes).empty());
        EXPECT_EQ(openFile(bytes, "wb"), nullptr);
    }
    for (const std::wstring& wide : notUtf16) {
        std::string text = "left over";
        EXPECT_FALSE(utf8FromWide(wide, text));
        EXPECT_TRUE(text.empty());
        EXPECT_EQ(utf8FromPath(std::filesystem::path(wide)), "");
    }
}

TEST(WidePaths, TheCommandLineIsSplitByTheWindowsRulesIntoUtf8)
{
    std::vector<std::string> arguments;
    ASSERT_TRUE(argumentsFromCommandLine(L"\"C:\\Program Files\\demo-sync.exe\" --shaders "
                                         L"\"C:\\Users\\J\u00FCrgen\\sh\u00E4ders\" --song a\U0001D11E.xm",
                                         arguments));
    EXPECT_EQ(arguments, (std::vector<std::string>{"C:\\Program Files\\demo-sync.exe", "--shaders",
                                                   "C:\\Users\\J\xC3\xBCrgen\\sh\xC3\xA4"
                                                   "ders",
                                                   "--song", "a\xF0\x9D\x84\x9E.xm"}));
    const wchar_t lone[] = {L'x', L' ', 0xD834, 0};
    EXPECT_FALSE(argumentsFromCommandLine(lone, arguments));
    EXPECT_TRUE(arguments.empty());
}
