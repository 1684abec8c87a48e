#include "tools/capture/CaptureFiles.h"

#include "app/FilePaths.h"

#include <cstdio>
#include <cstring>
#include <vector>

#define STB_IMAGE_WRITE_IMPLEMENTATION
// The encoder hands us the bytes; we open the file, by its UTF-8 name.
#define STBI_WRITE_NO_STDIO
#include <stb_image_write.h>

namespace Nimbra {

namespace {

// Offset of the frame counter in the constant data; the only integer member.
constexpr uint32_t frameCounterOffset = 4;

void putU32(std::vector<unsigned char>& out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

void putU16(std::vector<unsigned char>& out, uint16_t value)
{
    out.push_back(static_cast<unsigned char>(value));
    out.push_back(static_cast<unsigned char>(value >> 8));
}

void putTag(std::vector<unsigned char>& out, const char* tag)
{
    out.insert(out.end(), tag, tag + 4);
}

// Where the PNG encoder's bytes go, and whether all of them got there.
struct PngFile {
    std::FILE* file;
    bool written;
};

void writePngBytes(void* context, void* data, int size)
{
    PngFile& png = *static_cast<PngFile*>(context);
    png.written = png.written && std::fwrite(data, 1, size_t(size), png.file) == size_t(size);
}

}  // namespace

std::string captureFramePath(const std::string& dir, uint32_t index)
{
    char name[32];
    std::snprintf(name, sizeof name, "frame_%05u.png", index);
    return dir + "/" + name;
}

void packRgb(const unsigned char* rgba, int32_t width, int32_t height, uint32_t rowPitch,
             std::vector<unsigned char>& rgb)
{
    rgb.resize(static_cast<size_t>(width) * height * 3);
    for (int32_t y = 0; y < height; ++y) {
        const unsigned char* src = rgba + static_cast<size_t>(y) * rowPitch;
        unsigned char* dst = rgb.data() + static_cast<size_t>(y) * width * 3;
        for (int32_t x = 0; x < width; ++x) {
            dst[3 * x + 0] = src[4 * x + 0];
            dst[3 * x + 1] = src[4 * x + 1];
            dst[3 * x + 2] = src[4 * x + 2];
        }
    }
}

bool writeFramePng(const std::string& path, const unsigned char* rgba, int32_t width, int32_t height, uint32_t rowPitch)
{
    std::vector<unsigned char> rgb;
    packRgb(rgba, width, height, rowPitch, rgb);
    PngFile png = {openFile(path.c_str(), "wb"), true};
    if (!png.file)
        return false;
    const bool encoded = stbi_write_png_to_func(writePngBytes, &png, width, height, 3, rgb.data(), width * 3) != 0;
    return std::fclose(png.file) == 0 && encoded && png.written;
}

bool writeFloatWav(const std::string& path, const float* samples, uint32_t frames, uint32_t sampleRate)
{
    const uint16_t channels = 2;
    const uint16_t bytesPerSample = 4;
    const uint32_t dataBytes = frames * channels * bytesPerSample;
    std::vector<unsigned char> header;
    putTag(header, "RIFF");
    putU32(header, 4 + (8 + 18) + (8 + 4) + (8 + dataBytes));
    putTag(header, "WAVE");
    putTag(header, "fmt ");
    putU32(header, 18);
    putU16(header, 3);  // WAVE_FORMAT_IEEE_FLOAT
    putU16(header, channels);
    putU32(header, sampleRate);
    putU32(header, sampleRate * channels * bytesPerSample);
    putU16(header, channels * bytesPerSample);
    putU16(header, bytesPerSample * 8);
    putU16(header, 0);
    // Non-PCM formats carry the frame count in a fact chunk.
    putTag(header, "fact");
    putU32(header, 4);
    putU32(header, frames);
    putTag(header, "data");
    putU32(header, dataBytes);

    std::FILE* file = openFile(path.c_str(), "wb");
    if (!file)
        return false;
    bool ok = std::fwrite(header.data(), 1, header.size(), file) == header.size();
    // Little-endian floats are written as they lie in memory.
    if (ok && dataBytes > 0)
        ok = std::fwrite(samples, 1, dataBytes, file) == dataBytes;
    return std::fclose(file) == 0 && ok;
}

std::string formatConstantData(const unsigned char* data, uint32_t size)
{
    std::string text;
    char line[64];
    for (uint32_t offset = 0; offset + 4 <= size; offset += 4) {
        if (offset == frameCounterOffset) {
            uint32_t value;
            std::memcpy(&value, data + offset, 4);
            std::snprintf(line, sizeof line, "%u %u\n", offset, value);
        } else {
            float value;
            std::memcpy(&value, data + offset, 4);
            std::snprintf(line, sizeof line, "%u %.9g\n", offset, static_cast<double>(value));
        }
        text += line;
    }
    return text;
}

}  // namespace Nimbra
