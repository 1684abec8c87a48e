#include "tools/capture/CaptureFiles.h"
#include "tools/capture/CaptureOptions.h"
#include "tools/capture/FilmStream.h"
#include "tools/capture/PassPictures.h"

#include <gtest/gtest.h>

#include <cmath>
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
    ASSERT_TRUE(parse({"--width", "320", "--height", "180", "--fps", "30", "--from", "2.5", "--to", "4", "--out",
                       "shots", "--film", "-", "--pictures"},
                      options, error))
        << error;
    EXPECT_EQ(options.mode, CaptureMode::Frames);
    EXPECT_EQ(options.width, 320);
    EXPECT_EQ(options.height, 180);
    EXPECT_DOUBLE_EQ(options.fps, 30.0);
    EXPECT_DOUBLE_EQ(options.from, 2.5);
    EXPECT_DOUBLE_EQ(options.to, 4.0);
    EXPECT_EQ(options.outDir, "shots");
    EXPECT_EQ(options.filmPath, "-");
    EXPECT_TRUE(options.filmPictures);

    CaptureOptions constants;
    ASSERT_TRUE(parse({"--constants", "1.5"}, constants, error)) << error;
    EXPECT_EQ(constants.mode, CaptureMode::Constants);
    EXPECT_DOUBLE_EQ(constants.constantsTime, 1.5);
    EXPECT_TRUE(options.sizeGiven);
    EXPECT_FALSE(constants.sizeGiven);
    EXPECT_FALSE(constants.debugLayer);

    CaptureOptions report;
    ASSERT_TRUE(parse({"--report", "--debug-layer"}, report, error)) << error;
    EXPECT_EQ(report.mode, CaptureMode::Report);
    EXPECT_TRUE(report.debugLayer);
}

TEST(CaptureOptions, RejectsMalformedInput)
{
    const std::vector<std::vector<const char*>> bad = {
        {"--width"},
        {"--width", "0"},
        {"--width", "12x"},
        {"--height", "1e9"},
        {"--fps", "0"},
        {"--fps", "nan"},
        {"--from", "-1"},
        {"--from", "200"},
        {"--from", "5", "--to", "4"},
        {"--out", ""},
        {"--frames", "3"},
        {"--constants", "abc"},
        {"--report", "--constants", "1"},
        {"--constants", "1", "--report"},
        {"--report", "--passes"},
        {"--film", ""},
        {"--film", "-", "--passes"},
        {"--constants", "1", "--film", "f"},
        {"--pictures"},
    };
    for (const auto& args : bad) {
        CaptureOptions options;
        std::string error;
        EXPECT_FALSE(parse(args, options, error)) << args[0];
        EXPECT_FALSE(error.empty()) << args[0];
    }
}

TEST(CaptureOptions, PassPicturesAndVariableSettings)
{
    CaptureOptions options;
    std::string error;
    ASSERT_TRUE(
        parse({"--passes", "--set", "WAVEAMP=0.5", "--to", "3", "--set", "CameraPosX=-3e1", "--set", "WAVEAMP=2"},
              options, error))
        << error;
    EXPECT_TRUE(options.passPictures);
    EXPECT_DOUBLE_EQ(options.to, 3.0);
    // WAVEAMP is variable 19 and CameraPosX variable 0 of the content; both settings of
    // WAVEAMP are kept, in order, so that the later one wins.
    ASSERT_EQ(options.settings.size(), 3u);
    EXPECT_EQ(options.settings[0].index, 19u);
    EXPECT_EQ(options.settings[0].value, 0.5f);
    EXPECT_EQ(options.settings[1].index, 0u);
    EXPECT_EQ(options.settings[1].value, -30.0f);
    EXPECT_EQ(options.settings[2].index, 19u);
    EXPECT_EQ(options.settings[2].value, 2.0f);

    // The last variable, and settings with the constants.
    CaptureOptions constants;
    ASSERT_TRUE(parse({"--set", "LNWIDHT=1", "--constants", "2"}, constants, error)) << error;
    EXPECT_FALSE(constants.passPictures);
    ASSERT_EQ(constants.settings.size(), 1u);
    EXPECT_EQ(constants.settings[0].index, 63u);

    CaptureOptions none;
    ASSERT_TRUE(parse({}, none, error));
    EXPECT_FALSE(none.passPictures);
    EXPECT_TRUE(none.settings.empty());
    EXPECT_TRUE(none.filmPath.empty());
}

TEST(CaptureOptions, RefusesUnknownVariablesAndMalformedSettings)
{
    CaptureOptions options;
    std::string error;
    EXPECT_FALSE(parse({"--set", "WAVEAMPLITUDE=1"}, options, error));
    EXPECT_NE(error.find("no variable named WAVEAMPLITUDE"), std::string::npos) << error;
    // Names are spelt exactly as the content has them.
    EXPECT_FALSE(parse({"--set", "waveamp=1"}, options, error));
    EXPECT_NE(error.find("waveamp"), std::string::npos) << error;

    const std::vector<std::vector<const char*>> bad = {
        {"--set"},
        {"--set", "WAVEAMP"},
        {"--set", "=1"},
        {"--set", "WAVEAMP="},
        {"--set", "WAVEAMP=x"},
        {"--set", "WAVEAMP=inf"},
        {"--set", "WAVEAMP=1=2"},
        {"--passes", "--constants", "1"},
        {"--constants", "1", "--passes"},
    };
    for (const auto& args : bad) {
        CaptureOptions refused;
        error.clear();
        EXPECT_FALSE(parse(args, refused, error)) << args.back();
        EXPECT_FALSE(error.empty()) << args.back();
    }
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
    EXPECT_EQ(bytes[20], 3);               // IEEE float
    EXPECT_EQ(bytes[22], 2);               // channels
    EXPECT_EQ(u32At(bytes, 24), 44100u);   // frames per second
    EXPECT_EQ(u32At(bytes, 28), 352800u);  // bytes per second
    EXPECT_EQ(bytes[32], 8);               // block alignment
    EXPECT_EQ(bytes[34], 32);              // bits per sample
    EXPECT_EQ(u32At(bytes, 46), 3u);       // fact: frames
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

TEST(FilmStream, FramesFollowOneAnotherAsBareRgb)
{
    // Two frames of 2 x 1 pixels in rows of 12 bytes; the second is the first's bytes plus 100.
    unsigned char frames[2][12] = {{10, 20, 30, 0, 40, 50, 60, 128, 7, 7, 7, 7}};
    for (int i = 0; i < 12; ++i)
        frames[1][i] = static_cast<unsigned char>(frames[0][i] + 100);
    const std::string path = ::testing::TempDir() + "capture_test.rgb";
    FilmStream film;
    ASSERT_TRUE(createFilmStream(film, path));
    EXPECT_TRUE(writeFilmFrame(film, frames[0], 2, 1, 12));
    EXPECT_TRUE(writeFilmFrame(film, frames[1], 2, 1, 12));
    EXPECT_TRUE(destroyFilmStream(film));
    const std::vector<unsigned char> expected = {10, 20, 30, 40, 50, 60, 110, 120, 130, 140, 150, 160};
    EXPECT_EQ(readFile(path), expected);
    std::remove(path.c_str());
}

TEST(PassPictures, NamedAfterTheFrameAndThePass)
{
    EXPECT_EQ(passPicturePath("out", 42, "draw 5"), "out/frame_00042_draw5.png");
    EXPECT_EQ(passPicturePath("a/b", 0, "compute 0"), "a/b/frame_00000_compute0.png");
}

TEST(PassPictures, FloatTargetsAreClampedAndRounded)
{
    // Two texels of half floats in a row of 24 bytes (8 of padding, filled with 0xAB):
    // (0.5, 1.5, -1, NaN) and (0.25, 1, 0, +inf).
    const uint16_t halves[12] = {0x3800, 0x3E00, 0xBC00, 0x7E00, 0x3400, 0x3C00,
                                 0x0000, 0x7C00, 0xABAB, 0xABAB, 0xABAB, 0xABAB};
    uint8_t texels[48];
    std::memcpy(texels, halves, 24);
    std::memcpy(texels + 24, halves, 24);
    std::vector<uint8_t> rgba;
    // Rgba16Float (3): 0.5 x 255 = 127.5 rounds to 128, 0.25 x 255 = 63.75 to 64.
    ASSERT_TRUE(targetTexelsToRgba8(3, texels, 2, 2, 24, rgba));
    const std::vector<uint8_t> row = {128, 255, 0, 0, 64, 255, 0, 255};
    ASSERT_EQ(rgba.size(), 16u);
    EXPECT_EQ(std::vector<uint8_t>(rgba.begin(), rgba.begin() + 8), row);
    EXPECT_EQ(std::vector<uint8_t>(rgba.begin() + 8, rgba.end()), row);

    // Rgba32Float (4): one texel, 1/255 and 254.4/255 and the ends.
    const float floats[4] = {1.0f / 255.0f, 254.4f / 255.0f, -0.0f, 2.0f};
    ASSERT_TRUE(targetTexelsToRgba8(4, reinterpret_cast<const uint8_t*>(floats), 1, 1, 16, rgba));
    EXPECT_EQ(rgba, (std::vector<uint8_t>{1, 254, 0, 255}));

    // R32Float (0) as grey, opaque.
    const float grey = 0.2f;  // 51
    ASSERT_TRUE(targetTexelsToRgba8(0, reinterpret_cast<const uint8_t*>(&grey), 1, 1, 4, rgba));
    EXPECT_EQ(rgba, (std::vector<uint8_t>{51, 51, 51, 255}));
}

TEST(PassPictures, EightBitTargetsAreCopiedAndDepthHasNoPicture)
{
    const uint8_t texel[4] = {10, 20, 30, 40};
    std::vector<uint8_t> rgba;
    ASSERT_TRUE(targetTexelsToRgba8(1, texel, 1, 1, 4, rgba));  // Rgba8Unorm
    EXPECT_EQ(rgba, (std::vector<uint8_t>{10, 20, 30, 40}));
    ASSERT_TRUE(targetTexelsToRgba8(2, texel, 1, 1, 4, rgba));  // Bgra8Unorm
    EXPECT_EQ(rgba, (std::vector<uint8_t>{30, 20, 10, 40}));
    for (int32_t format : {5, 6, 7}) {  // Depth24Stencil8, Depth32Float, R32Uint
        EXPECT_FALSE(targetTexelsToRgba8(format, texel, 1, 1, 4, rgba)) << format;
        EXPECT_TRUE(rgba.empty()) << format;
    }
}
