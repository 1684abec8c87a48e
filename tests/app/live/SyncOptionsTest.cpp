#include "app/live/SyncOptions.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

namespace Nimbra {
namespace {

bool parse(std::initializer_list<const char*> args, SyncOptions& options, std::string& error)
{
    std::vector<const char*> argv = {"demo-sync"};
    argv.insert(argv.end(), args);
    return parseSyncOptions(int(argv.size()), argv.data(), options, error);
}

TEST(SyncOptions, DefaultsToAnEditorOnThisMachineAndA720pWindow)
{
    SyncOptions options;
    std::string error;
    ASSERT_TRUE(parse({}, options, error));
    EXPECT_EQ(options.width, 1280);
    EXPECT_EQ(options.height, 720);
    EXPECT_EQ(options.host, "127.0.0.1");
    EXPECT_EQ(options.port, 1338);
    EXPECT_EQ(options.link.retryMs, 1000u);
    EXPECT_TRUE(options.link.savePath.empty());  // the program's default
    EXPECT_TRUE(options.dumpPath.empty());
    EXPECT_FALSE(options.verbose);
    EXPECT_TRUE(options.overlay);
}

TEST(SyncOptions, TakesEveryOption)
{
    SyncOptions options;
    std::string error;
    ASSERT_TRUE(parse({"--width",   "640",          "--height",  "360",
                       "--host",    "editor.local", "--port",    "65535",
                       "--save",    "a.rocket",     "--dump",    "d.txt",
                       "--verbose", "--retry-ms",   "100",       "--greeting-timeout-ms",
                       "250",       "--loop",       "r200:r456", "--no-overlay",
                       "--keys",    "k.rocket",     "--editor",  "--timings"},
                      options, error))
        << error;
    EXPECT_EQ(options.width, 640);
    EXPECT_EQ(options.height, 360);
    EXPECT_EQ(options.host, "editor.local");
    EXPECT_EQ(options.port, 65535);
    EXPECT_EQ(options.link.savePath, "a.rocket");
    EXPECT_EQ(options.dumpPath, "d.txt");
    EXPECT_TRUE(options.verbose);
    EXPECT_FALSE(options.overlay);
    EXPECT_EQ(options.link.retryMs, 100u);
    EXPECT_EQ(options.link.greetingTimeoutMs, 250u);
    EXPECT_TRUE(options.loop.given && options.loop.inRows);
    EXPECT_EQ(options.loop.to, 456.0);
    EXPECT_EQ(options.keysPath, "k.rocket");
    EXPECT_TRUE(options.editorShown && options.timings);
}

TEST(SyncOptions, RefusesWhatItCannotUse)
{
    for (auto args : {std::vector<const char*>{"--port", "0"},
                      {"--port", "65536"},
                      {"--port", "13x"},
                      {"--width", "0"},
                      {"--height", "-5"},
                      {"--width"},
                      {"--host", ""},
                      {"--retry-ms", "0"},
                      {"--frames", "3"},
                      {"stray"},
                      {"--loop", "20:12.5"}}) {
        SyncOptions options;
        std::string error;
        std::vector<const char*> argv = {"demo-sync"};
        argv.insert(argv.end(), args.begin(), args.end());
        EXPECT_FALSE(parseSyncOptions(int(argv.size()), argv.data(), options, error)) << args[0];
        EXPECT_FALSE(error.empty()) << args[0];
    }
}

}  // namespace
}  // namespace Nimbra
