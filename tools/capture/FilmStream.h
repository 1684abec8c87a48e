#pragma once
// The frames as one raw stream for a video encoder (8-bit RGB, top row first, frames back to back), as read by
//   ffmpeg -f rawvideo -pixel_format rgb24 -video_size WxH -framerate F -i pipe:0
// The stream is a file or, for the path "-", standard output.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace Nimbra {

struct FilmStream {
    std::FILE* file = nullptr;
    bool standardOutput = false;
    bool failed = false;             // a write fell short: the encoder has gone, or the disk is full
    std::vector<unsigned char> rgb;  // one frame's pixels, reused
};

// Opens `path` (UTF-8; "-" is standard output, which must be in binary mode).
bool createFilmStream(FilmStream& film, const std::string& path);

// Appends `width` x `height` pixels of 8-bit RGBA, rows `rowPitch` bytes apart; alpha is
// dropped as in the PNG frames.
bool writeFilmFrame(FilmStream& film, const unsigned char* rgba, int32_t width, int32_t height, uint32_t rowPitch);

// Flushes and closes the stream (standard output is flushed, not closed); false when any frame
// did not reach it whole.
bool destroyFilmStream(FilmStream& film);

}  // namespace Nimbra
