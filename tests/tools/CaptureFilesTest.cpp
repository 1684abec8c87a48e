#include "tools/capture/CaptureFiles.h"
#include "tools/capture/CaptureOptions.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <vector>

#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>

using namespace Nimbra;

namespace {

bool parse(std::vector<const char*> args, CaptureOptions& options, std::string& error)
{
    args.insert(args.begin(), "demo-capture");
    return parseCaptureOptions(static_cast<int>(args.size()), args.data(), options, error);
}

std::vector<unsigned char> readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

uint32_t u32At(const std::vector<unsigned char>& bytes, size_t at)
{
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | uint32_t(bytes[at + 3]) << 24;
}

}  // namespace

TEST(CaptureOptions, ReadsEveryOption)
{
    CaptureOptions options;
    std::string error;
    ASSERT_TRUE(parse({"--width", "320", "--height", "180", "--fps", "30", "--from", "2.5", "--to",
                       "4", "--out", "shots"},
                      options, error))
        << error;
    EXPECT_EQ(options.mode, CaptureMode::Frames);
    EXPECT_EQ(options.width, 320);
    EXPECT_EQ(options.height, 180);
    EXPECT_DOUBLE_EQ(options.fps, 30.0);
    EXPECT_DOUBLE_EQ(options.from, 2.5);
    EXPECT_DOUBLE_EQ(options.to, 4.0);
    EXPECT_EQ(options.outDir, "shots");

    CaptureOptions constants;
    ASSERT_TRUE(parse({"--constants", "1.5"}, constants, error)) << error;
    EXPECT_EQ(constants.mode, CaptureMode::Constants);
    EXPECT_DOUBLE_EQ(constants.constantsTime, 1.5);
}

TEST(CaptureOptions, RejectsMalformedInput)
{
    const std::vector<std::vector<const char*>> bad = {
        {"--width"},           {"--width", "0"},       {"--width", "12x"},
        {"--height", "1e9"},   {"--fps", "0"},         {"--fps", "nan"},
        {"--from", "-1"},      {"--from", "200"},      {"--from", "5", "--to", "4"},
        {"--out", ""},         {"--frames", "3"},      {"--constants", "abc"},
    };
    for (const auto& args : bad) {
        CaptureOptions options;
        std::string error;
        EXPECT_FALSE(parse(args, options, error)) << args[0];
        EXPECT_FALSE(error.empty()) << args[0];
    }
}

TEST(CaptureOptions, FramesFollowTheFixedStepUpToTheEnd)
{
    CaptureOptions options;
    options.fps = 60.0;
    options.from = 0.0;
    options.to = 1.0;
    EXPECT_EQ(captureFrameCount(options), 60u);
    EXPECT_FLOAT_EQ(captureFrameTime(options, 59), 59.0f / 60.0f);

    // The whole presentation at 60 fps stops before 107.58 s, like the frame loop.
    options.to = 500.0;
    uint32_t frames = captureFrameCount(options);
    EXPECT_EQ(frames, 6455u);
    EXPECT_LT(captureFrameTime(options, frames - 1), 107.58f);
    EXPECT_GE(captureFrameTime(options, frames), 107.58f);

    // A span of zero length still gives the frame at its start.
    options.from = 40.0;
    options.to = 40.0;
    EXPECT_EQ(captureFrameCount(options), 1u);
    EXPECT_FLOAT_EQ(captureFrameTime(options, 0), 40.0f);
}

TEST(CaptureFiles, ConstantDataPrintsFloatsAndTheFrameCounter)
{
    float words[216] = {};
    words[0] = 1.5f;
    uint32_t frame = 4000000001u;
    std::memcpy(&words[1], &frame, 4);
    words[2] = 0.1f;
    words[215] = -3.0f;
    std::string text = formatConstantData(reinterpret_cast<const unsigned char*>(words), 864);

    std::istringstream lines(text);
    std::string line;
    std::vector<std::string> all;
    while (std::getline(lines, line))
        all.push_back(line);
    ASSERT_EQ(all.size(), 216u);
    EXPECT_EQ(all[0], "0 1.5");
    EXPECT_EQ(all[1], "4 4000000001");
    EXPECT_EQ(all[2], "8 0.100000001");
    EXPECT_EQ(all[3], "12 0");
    EXPECT_EQ(all[215], "860 -3");

    // %.9g round-trips every float bit for bit.
    float back = std::stof(all[2].substr(2));
    EXPECT_EQ(std::memcmp(&back, &words[2], 4), 0);
}

TEST(CaptureFiles, WavHeaderDescribesFloatStereo)
{
    const float samples[6] = {0.25f, -0.25f, 0.5f, -0.5f, 1.0f, -1.0f};
    std::string path = ::testing::TempDir() + "capture_test.wav";
    ASSERT_TRUE(writeFloatWav(path, samples, 3, 44100));
    std::vector<unsigned char> bytes = readFile(path);
    std::remove(path.c_str());

    ASSERT_EQ(bytes.size(), 58u + sizeof samples);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "RIFF");
    EXPECT_EQ(u32At(bytes, 4), bytes.size() - 8);
    EXPECT_EQ(std::string(bytes.begin() + 8, bytes.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(bytes[20], 3);                    // IEEE float
    EXPECT_EQ(bytes[22], 2);                    // channels
    EXPECT_EQ(u32At(bytes, 24), 44100u);        // frames per second
    EXPECT_EQ(u32At(bytes, 28), 352800u);       // bytes per second
    EXPECT_EQ(bytes[32], 8);                    // block alignment
    EXPECT_EQ(bytes[34], 32);                   // bits per sample
    EXPECT_EQ(u32At(bytes, 46), 3u);            // fact: frames
    EXPECT_EQ(std::string(bytes.begin() + 50, bytes.begin() + 54), "data");
    EXPECT_EQ(u32At(bytes, 54), sizeof samples);
    EXPECT_EQ(std::memcmp(bytes.data() + 58, samples, sizeof samples), 0);
}

TEST(CaptureFiles, FramePngDropsAlphaAndHonoursRowPitch)
{
    // 2 x 2 pixels in rows of 12 bytes (4 bytes of padding each).
    const unsigned char rgba[24] = {10, 20, 30, 0,   40, 50, 60, 128, 0, 0, 0, 0,
                                    70, 80, 90, 255, 1,  2,  3,  4,   0, 0, 0, 0};
    std::string path = captureFramePath(::testing::TempDir(), 7);
    EXPECT_NE(path.find("frame_00007.png"), std::string::npos);
    ASSERT_TRUE(writeFramePng(path, rgba, 2, 2, 12));
    int width = 0, height = 0, channels = 0;
    unsigned char* pixels = stbi_load(path.c_str(), &width, &height, &channels, 0);
    std::remove(path.c_str());
    ASSERT_NE(pixels, nullptr);
    EXPECT_EQ(width, 2);
    EXPECT_EQ(height, 2);
    EXPECT_EQ(channels, 3);
    const unsigned char expected[12] = {10, 20, 30, 40, 50, 60, 70, 80, 90, 1, 2, 3};
    EXPECT_EQ(std::memcmp(pixels, expected, sizeof expected), 0);
    stbi_image_free(pixels);
}
