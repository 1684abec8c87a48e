// Whether a new program may take an old one's place in its passes, one rule at a time: each
// case changes one thing in a program that fits and names the reason it must be refused for.
#include "gfx/live/ProgramInterface.h"

#include <gtest/gtest.h>

#include <functional>

namespace Nimbra {
namespace Gfx {
namespace {

constexpr uint32_t Float = 3, Uint = 1;  // D3D_REGISTER_COMPONENT_TYPE
constexpr uint32_t Buffer = 1, Tex2D = 4;  // D3D_SRV_DIMENSION

const std::vector<ConstantField> Layout = {{"time", 0, 4}, {"frame", 4, 4}, {"viewMatrix", 32, 64}, {"WAVEAMP", 684, 4}};

ProgramInterface vertexProgram()
{
    ProgramInterface p;
    p.kind = ProgramKind::Vertex;
    p.inputs = {{"SV_VertexID", 0, 0, Uint, 1, 1}, {"SV_InstanceID", 0, 1, Uint, 1, 1}};
    p.outputs = {{"SV_POSITION", 0, 0, Float, 0xf, 0}, {"TEXCOORD", 0, 1, Float, 0x3, 0}};
    p.bindings = {{"ContextBuffer", BindingType::Constants, 8, 1, 0, 0},
                  {"cells", BindingType::StructuredBuffer, 0, 1, Buffer, 4}};
    p.frameConstants = {{"time", 0, 4}, {"WAVEAMP", 684, 4}};
    p.frameConstantsSize = 688;
    return p;
}

ProgramInterface pixelProgram()
{
    ProgramInterface p;
    p.kind = ProgramKind::Pixel;
    p.inputs = {{"SV_Position", 0, 0, Float, 0xf, 0x3}, {"TEXCOORD", 0, 1, Float, 0x3, 0x3}};
    p.outputs = {{"SV_Target", 0, 0, Float, 0xf, 0}};
    p.bindings = {{"picture", BindingType::Texture, 1, 1, Tex2D, 0}, {"linearClamp", BindingType::Sampler, 0, 1, 0, 0}};
    return p;
}

ProgramInterface computeProgram()
{
    ProgramInterface p;
    p.kind = ProgramKind::Compute;
    p.bindings = {{"previous", BindingType::StructuredBuffer, 0, 1, Buffer, 16},
                  {"next", BindingType::WritableStructuredBuffer, 1, 1, Buffer, 16}};
    return p;
}

struct Case {
    const char* what;
    std::function<ProgramInterface()> program;  // the new program
    const char* why;                             // what the refusal must say; null: it fits
};

template <size_t N>
void check(const Case (&cases)[N], const ProgramInterface& current, const PassOffer& pass)
{
    for (const Case& c : cases) {
        std::string why;
        EXPECT_EQ(programFits(c.program(), current, pass, Layout, why), c.why == nullptr) << c.what;
        EXPECT_EQ(why, c.why ? c.why : "") << c.what;
    }
}

TEST(ProgramFit, EachRuleRefusesWhatBreaksIt)
{
    const ProgramInterface vs = vertexProgram(), ps = pixelProgram(), cs = computeProgram();
    PassOffer draw;
    draw.inputs = {{SlotKind::Buffer, 4}, {SlotKind::Texture2D, 0}};
    draw.targetCount = 1;
    draw.constantBytes = 864;
    PassOffer forVertex = draw, forPixel = draw;
    forVertex.partner = &ps;
    forPixel.partner = &vs;
    PassOffer compute;
    compute.inputs = {{SlotKind::Buffer, 16}};
    compute.firstOutput = 1;
    compute.outputs = {{SlotKind::Buffer, 16}};

    const auto vsWith = [&](std::function<void(ProgramInterface&)> change) {
        return [=] { ProgramInterface p = vertexProgram(); change(p); return p; };
    };
    const auto psWith = [&](std::function<void(ProgramInterface&)> change) {
        return [=] { ProgramInterface p = pixelProgram(); change(p); return p; };
    };
    const auto csWith = [&](std::function<void(ProgramInterface&)> change) {
        return [=] { ProgramInterface p = computeProgram(); change(p); return p; };
    };
    const Case vertexCases[] = {
        {"the same program", vsWith([](ProgramInterface&) {}), nullptr},
        {"an instance id no longer read", vsWith([](ProgramInterface& p) { p.inputs.pop_back(); }), nullptr},
        {"another stage", psWith([](ProgramInterface&) {}), "it is a pixel program; the pass runs a vertex program here"},
        {"a vertex buffer", vsWith([](ProgramInterface& p) { p.inputs.push_back({"POSITION", 0, 2, Float, 7, 7}); }),
         "it reads POSITION0: the passes draw without vertex buffers"},
        {"an output the pixel side reads moved",
         vsWith([](ProgramInterface& p) { p.outputs[1].reg = 2; }),
         "the pixel program reads TEXCOORD0 at register 1, which it no longer writes there"},
        {"constants elsewhere", vsWith([](ProgramInterface& p) { p.bindings[0].slot = 3; }),
         "constants at b3 (ContextBuffer): the passes bind constants at b8 only"},
        {"a field moved", vsWith([](ProgramInterface& p) { p.frameConstants[1].offset = 688; }),
         "b8 declares WAVEAMP at byte 688 (4 bytes); the demo fills it at byte 684 (4 bytes)"},
        {"a field the demo lacks", vsWith([](ProgramInterface& p) { p.frameConstants.push_back({"SPEED", 860, 4}); }),
         "b8 declares SPEED, which the demo does not fill"},
        {"more constants than uploaded", vsWith([](ProgramInterface& p) { p.frameConstantsSize = 880; }),
         "b8 is 880 bytes; the demo uploads 864"},
        {"another element size", vsWith([](ProgramInterface& p) { p.bindings[1].stride = 16; }),
         "t0 (cells): the pass binds a buffer of 4-byte elements there, which it declares otherwise"},
    };
    check(vertexCases, vs, forVertex);

    const Case pixelCases[] = {
        {"the same program", psWith([](ProgramInterface&) {}), nullptr},
        {"the face it draws, made by the rasteriser",
         psWith([](ProgramInterface& p) { p.inputs.push_back({"SV_IsFrontFace", 0, 2, Uint, 1, 1}); }), nullptr},
        {"an input never written", psWith([](ProgramInterface& p) { p.inputs[1].index = 1; }),
         "it reads TEXCOORD1 at register 1, which the vertex program does not write there"},
        {"more components than written", psWith([](ProgramInterface& p) { p.inputs[1].used = 0x7; }),
         "it reads TEXCOORD0 at register 1, which the vertex program does not write there"},
        {"a second target", psWith([](ProgramInterface& p) { p.outputs.push_back({"SV_Target", 1, 1, Float, 0xf, 0}); }),
         "it writes SV_Target1; the pass has 1 target"},
        {"depth", psWith([](ProgramInterface& p) { p.outputs.push_back({"SV_Depth", 0, 0, Float, 1, 0}); }),
         "it writes SV_Depth0, which the pass does not take"},
        {"an empty register", psWith([](ProgramInterface& p) { p.bindings[0].slot = 2; }),
         "t2 (picture): the pass binds nothing there"},
        {"a texture where a buffer is", psWith([](ProgramInterface& p) { p.bindings[0].slot = 0; }),
         "t0 (picture): the pass binds a buffer of 4-byte elements there, which it declares otherwise"},
        {"a seventh sampler", psWith([](ProgramInterface& p) { p.bindings[1].slot = 6; }),
         "sampler s6 (linearClamp): the demo binds s0 to s5"},
        {"a writable resource",
         psWith([](ProgramInterface& p) { p.bindings.push_back({"out", BindingType::WritableTexture, 1, 1, Tex2D, 0}); }),
         "u1 (out): draw passes bind no writable resources"},
    };
    check(pixelCases, ps, forPixel);

    const Case computeCases[] = {
        {"the same program", csWith([](ProgramInterface&) {}), nullptr},
        {"output over an input", csWith([](ProgramInterface& p) { p.bindings[1].slot = 0; }),
         "u0 (next): the pass binds nothing there"},
        {"an output beyond the pass's", csWith([](ProgramInterface& p) { p.bindings[1].slot = 2; }),
         "u2 (next): the pass binds nothing there"},
    };
    check(computeCases, cs, compute);
}

} // namespace
} // namespace Gfx
} // namespace Nimbra
