#pragma once
// What demo-capture writes: frame pictures, the soundtrack and the constant data as text.
// Plain file output, no GPU and no Windows calls.
#include <cstdint>
#include <string>
#include <vector>

namespace Nimbra {

// "DIR/frame_00042.png"
std::string captureFramePath(const std::string& dir, uint32_t index);

// The RGB of `width` x `height` pixels of 8-bit RGBA, rows `rowPitch` bytes apart, packed
// tightly into `rgb`; the alpha channel is dropped: the window shows premultiplied colour over
// black.
void packRgb(const unsigned char* rgba, int32_t width, int32_t height, uint32_t rowPitch,
             std::vector<unsigned char>& rgb);

// Writes `width` x `height` pixels of 8-bit RGBA, rows `rowPitch` bytes apart, as an RGB PNG.
bool writeFramePng(const std::string& path, const unsigned char* rgba, int32_t width, int32_t height,
                   uint32_t rowPitch);

// Writes interleaved stereo 32-bit float samples at `sampleRate` as a WAVE_FORMAT_IEEE_FLOAT file.
bool writeFloatWav(const std::string& path, const float* samples, uint32_t frames, uint32_t sampleRate);

// One line per 32-bit word: "OFFSET VALUE\n". The word at offset 4 is the frame counter and is
// printed as an unsigned integer; every other word as a float with %.9g, which reproduces its
// bits exactly.
std::string formatConstantData(const unsigned char* data, uint32_t size);

}  // namespace Nimbra
