#pragma once
// Command line of demo-capture. Two modes:
//   demo-capture [--width W] [--height H] [--fps F] [--from S] [--to E] [--out DIR] [--passes]
//       renders frames at S, S + 1/F, ... below E into DIR/frame_NNNNN.png and writes the
//       soundtrack of the same span to DIR/soundtrack.wav; with --passes also the picture
//       every draw pass leaves in its target, DIR/frame_NNNNN_drawK.png
//   with --film PATH the frames go instead, one after the other, to PATH ("-": standard
//       output) as raw RGB for a video encoder (FilmStream.h); DIR then holds the soundtrack
//       alone, written before the first frame
//   demo-capture [--width W] [--height H] --constants T
//       prints the constant data of the first frame, rendered at T seconds
//   demo-capture --report [--width W --height H]
//       prints one compatibility line, then the adapter, driver, output and sound device, and
//       the GPU time of every pass at a few moments, at the screen's size unless W x H is given
// In all, --set NAME=VALUE (repeatable) holds a variable at VALUE in every frame, and
// --debug-layer creates the device with the Direct3D 11 debug layer and fails on its errors.
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
    std::string filmPath;  // --film: raw frames to this file or "-"; empty: PNG frames in outDir
    bool passPictures = false;
    bool debugLayer = false;
    std::vector<VariableSetting> settings;  // in command-line order; a later one wins
};

// Fills `options` from argv; on a malformed or unknown argument returns false and describes
// the problem in `error`.
bool parseCaptureOptions(int argc, const char* const* argv, CaptureOptions& options, std::string& error);

}  // namespace Nimbra
