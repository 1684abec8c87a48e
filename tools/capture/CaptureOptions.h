#pragma once
// Command line of demo-capture:
//   demo-capture [--width W] [--height H] [--fps F] [--from S] [--to E] [--out DIR] [--passes | --film PATH]
//       frames at S, S + 1/F, ... below E to DIR/frame_NNNNN.png (--passes: also DIR/frame_NNNNN_drawK.png per
//       draw pass) and their soundtrack to DIR/soundtrack.wav; --film streams the frames instead as raw RGB to
//       PATH ("-": standard output, see FilmStream.h), the soundtrack being written before the first frame;
//       --pictures with --film writes the PNG frames as well, from the same render
//   demo-capture [--width W] [--height H] --constants T
//       prints the first frame's constant data (864 bytes, counter 0, time T), one 32-bit word a line
//   demo-capture --report [--width W --height H]
//       one compatibility line, then adapter, driver, output, sound device and per-pass GPU time (screen size default)
// Any mode: --set NAME=VALUE (repeatable) holds a variable in every frame; --debug-layer uses the Direct3D 11 debug
// layer, prints its messages after the frames and fails on its errors.
#include <cstdint>
#include <string>
#include <vector>

namespace Nimbra {

enum class CaptureMode { Frames, Constants, Report };

// A variable held at a value: written over the value its curve gives, every frame.
struct VariableSetting {
    uint32_t index;  // the variable's index, which is also its curve's
    float value;
};

struct CaptureOptions {
    CaptureMode mode = CaptureMode::Frames;
    int32_t width = 1280;
    int32_t height = 720;
    bool sizeGiven = false;  // --width or --height was given
    double fps = 60.0;
    double from = 0.0;
    double to = 107.58;
    double constantsTime = 0.0;
    std::string outDir = "out/capture";
    std::string filmPath;       // --film: raw frames to this file or "-"; empty: PNG frames in outDir
    bool filmPictures = false;  // --pictures: PNG frames in outDir beside the film
    bool passPictures = false;
    bool debugLayer = false;
    std::vector<VariableSetting> settings;  // in command-line order; a later one wins
};

// Fills `options` from argv; on a malformed or unknown argument returns false and describes
// the problem in `error`.
bool parseCaptureOptions(int argc, const char* const* argv, CaptureOptions& options, std::string& error);

}  // namespace Nimbra
