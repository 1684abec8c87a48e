// The one reading of a command line against a table of options: each way a word is refused, in
// the words both programs print, and a flag, a number and a text taken in order.
#include "app/CommandOptions.h"

#include <gtest/gtest.h>

namespace Nimbra {
namespace {

struct Taken {
    bool flag = false;
    uint16_t port = 1338;
    std::string name;
};

bool read(std::vector<const char*> words, Taken& taken, std::string& error)
{
    const std::vector<CommandOption> table = {
        flagOption("--flag", taken.flag),
        wholeOption("--port", 1, 65535, taken.port),
        textOption("--name", taken.name),
        {"--odd", nullptr,
         [](const char*, std::string& why) {
             why = "--odd is never right";
             return false;
         }},
    };
    words.insert(words.begin(), "program");
    return readCommandLine(int(words.size()), words.data(), table, error);
}

TEST(CommandOptions, RefusesEachWordInOneWording)
{
    const struct {
        std::vector<const char*> words;
        const char* error;
    } cases[] = {
        {{"--port"}, "--port needs a value"},
        {{"--bogus"}, "--bogus needs a value"},
        {{"stray"}, "stray: unexpected argument"},
        {{"--bogus", "1"}, "unknown option --bogus"},
        {{"--port", "0"}, "bad value for --port: 0"},
        {{"--port", "65536"}, "bad value for --port: 65536"},
        {{"--port", "80x"}, "bad value for --port: 80x"},
        {{"--port", ""}, "bad value for --port: "},
        {{"--name", ""}, "bad value for --name: "},
        {{"--odd", "1"}, "--odd is never right"},
        {{"--flag", "--port", "8", "x"}, "x: unexpected argument"},
    };
    for (const auto& c : cases) {
        Taken taken;
        std::string error;
        EXPECT_FALSE(read(c.words, taken, error)) << c.error;
        EXPECT_EQ(error, c.error);
    }
    Taken taken;
    std::string error;
    ASSERT_TRUE(read({"--port", "65535", "--flag", "--name", "n", "--port", "7"}, taken, error)) << error;
    EXPECT_TRUE(taken.flag);
    EXPECT_EQ(taken.port, 7);  // the last one given
    EXPECT_EQ(taken.name, "n");
}

}  // namespace
}  // namespace Nimbra
