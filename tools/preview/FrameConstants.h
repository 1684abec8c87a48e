// The 864 bytes of constant data a frame hands to every program: the frame header (time,
// resolution, camera matrices) and the 64 variables, evaluated from the shipped curves at a
// given time, with optional overrides.
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace Nimbra::Preview {

constexpr uint32_t ConstantBytes = 864;
constexpr uint32_t HeaderBytes = 608;

struct FrameConstants
{
    alignas(16) unsigned char bytes[ConstantBytes] = {};
};

class FrameBuilder
{
public:
    FrameBuilder(int width, int height);
    ~FrameBuilder();

    // Variable name = value pairs that replace the curve values on every frame.
    void setOverrides(std::vector<std::pair<std::string, float>> overrides);

    // The constants of frame `frame` at `seconds`, `elapsed` seconds after the previous one.
    FrameConstants build(float seconds, uint32_t frame, float elapsed);

    // Index of a variable by name, or -1.
    static int variableIndex(const std::string& name);

private:
    struct Impl;
    Impl* impl_;
};

} // namespace Nimbra::Preview
