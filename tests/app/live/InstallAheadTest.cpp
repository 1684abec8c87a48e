// What the compile thread made ahead is what the frame thread swaps in, and only for the same
// program and bytes, once; with a maker that records what it is asked.
#include "app/live/InstallAhead.h"

#include <gtest/gtest.h>

namespace Nimbra {
namespace {

class RecordingMaker : public ProgramMaker
{
public:
    struct Program : Made {
        std::string text;
    };
    std::unique_ptr<Made> make(const std::string& program, const std::vector<uint8_t>& bytecode,
                               std::string& why) override
    {
        auto made = std::make_unique<Program>();
        made->text = program + "=" + std::string(bytecode.begin(), bytecode.end());
        calls.push_back("make " + made->text);
        if (made->text.find("misfit") != std::string::npos) {
            why = "t9 (extra): the pass binds nothing there";
            return nullptr;
        }
        return made;
    }
    void swapIn(Made& made) override { calls.push_back("swap " + static_cast<Program&>(made).text); }
    std::vector<std::string> calls;
};

std::vector<uint8_t> bytes(const std::string& text)
{
    return std::vector<uint8_t>(text.begin(), text.end());
}

TEST(InstallAhead, WhatIsMadeAheadIsSwappedInForTheSameProgramAndBytesOnce)
{
    struct Case {
        const char* ahead;                  // "program=bytes" prepared first, or "" for none
        std::vector<const char*> installs;  // "program=bytes", in turn
        std::vector<std::string> calls;
        std::string why;  // of the last install, "" when it went in
    };
    const Case cases[] = {
        {"onePS=a", {"onePS=a"}, {"make onePS=a", "swap onePS=a"}, ""},
        {"onePS=a", {"onePS=b"}, {"make onePS=a", "make onePS=b", "swap onePS=b"}, ""},
        {"onePS=a", {"twoPS=a"}, {"make onePS=a", "make twoPS=a", "swap twoPS=a"}, ""},
        {"", {"onePS=a"}, {"make onePS=a", "swap onePS=a"}, ""},
        {"onePS=a", {"onePS=a", "onePS=a"}, {"make onePS=a", "swap onePS=a", "make onePS=a", "swap onePS=a"}, ""},
        {"onePS=misfit", {"onePS=misfit"}, {"make onePS=misfit"}, "t9 (extra): the pass binds nothing there"},
    };
    for (const Case& c : cases) {
        RecordingMaker maker;
        InstallAhead installer(maker);
        const auto split = [](const std::string& text) {
            return std::make_pair(text.substr(0, text.find('=')), bytes(text.substr(text.find('=') + 1)));
        };
        if (*c.ahead) {
            const auto ahead = split(c.ahead);
            installer.prepare(ahead.first, ahead.second);
        }
        std::string why;
        bool in = false;
        for (const char* install : c.installs) {
            const auto program = split(install);
            why.clear();
            in = installer.install(program.first, program.second, why);
        }
        EXPECT_EQ(maker.calls, c.calls) << c.ahead;
        EXPECT_EQ(in, c.why.empty()) << c.ahead;
        EXPECT_EQ(why, c.why) << c.ahead;
    }
}

}  // namespace
}  // namespace Nimbra
