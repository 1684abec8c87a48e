// Whether a new program may take an old one's place in its passes, one rule at a time: each
// case changes one thing in a program that fits, or in its pass, and says whether it still fits
// or the reason it must be refused for.
#include "gfx/live/ProgramInterface.h"

#include <gtest/gtest.h>

namespace Nimbra {
namespace Gfx {
namespace {

constexpr uint32_t Float = 3, Uint = 1;                                    // D3D_REGISTER_COMPONENT_TYPE
constexpr uint32_t Buffer = 1, Tex1D = 2, Tex2D = 4, Tex3D = 8, Cube = 9;  // D3D_SRV_DIMENSION

const std::vector<ConstantField> Layout = {{"time", 0, 4},
                                           {"frame", 4, 4},
                                           {"viewMatrix", 32, 64},
                                           {"WAVEAMP", 684, 4}};

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

// A new program `p` for the pass that runs `current`; a draw pass also runs `partner`.
struct Trial {
    ProgramInterface p, current, partner;
    PassOffer pass;
};

enum Stage { VS, PS, CS };

// The programs above in their passes: a draw pass with a buffer of 4-byte elements at t0, a 2D
// texture at t1, one target and 864 bytes at b8; a compute pass reading t0 and writing u1.
Trial setup(Stage stage)
{
    Trial s;
    if (stage == CS) {
        s.p = s.current = computeProgram();
        s.pass.inputs = {{SlotKind::Buffer, 16}};
        s.pass.firstOutput = 1;
        s.pass.outputs = {{SlotKind::Buffer, 16}};
        return s;
    }
    s.p = s.current = stage == VS ? vertexProgram() : pixelProgram();
    s.partner = stage == VS ? pixelProgram() : vertexProgram();
    s.pass.inputs = {{SlotKind::Buffer, 4}, {SlotKind::Texture2D, 0}};
    s.pass.targetCount = 1;
    s.pass.constantBytes = 864;
    return s;
}

struct Case {
    Stage stage;
    const char* what;
    void (*change)(Trial&);
    const char* why;  // what the refusal must say; null: it fits
};

const Case cases[] = {
    // The stage.
    {VS, "the same vertex program", [](Trial&) {}, nullptr},
    {PS, "the same pixel program", [](Trial&) {}, nullptr},
    {CS, "the same compute program", [](Trial&) {}, nullptr},
    {VS, "a pixel program", [](Trial& s) { s.p = pixelProgram(); },
     "it is a pixel program; the pass runs a vertex program here"},
    {CS, "a vertex program", [](Trial& s) { s.p.kind = ProgramKind::Vertex; },
     "it is a vertex program; the pass runs a compute program here"},
    {PS, "another stage", [](Trial& s) { s.p.kind = ProgramKind::Other; },
     "it is a program of another stage; the pass runs a pixel program here"},
    // Vertex inputs: only what the input assembler makes without buffers.
    {VS, "no instance id", [](Trial& s) { s.p.inputs.pop_back(); }, nullptr},
    {VS, "a vertex buffer",
     [](Trial& s) {
         s.p.inputs.push_back({"POSITION", 0, 2, Float, 7, 7});
     },
     "it reads POSITION0: the passes draw without vertex buffers"},
    // What the pixel side reads, the vertex side writes: semantic (in any case), index, register,
    // component type and components. The rasteriser makes SV_ inputs other than SV_Position.
    {VS, "an output moved", [](Trial& s) { s.p.outputs[1].reg = 2; },
     "the pixel program reads TEXCOORD0 at register 1, which it no longer writes there"},
    {VS, "SV_Position moved", [](Trial& s) { s.p.outputs[0].reg = 2; },
     "the pixel program reads SV_Position0 at register 0, which it no longer writes there"},
    {VS, "an output of another type", [](Trial& s) { s.p.outputs[1].componentType = Uint; },
     "the pixel program reads TEXCOORD0 at register 1, which it no longer writes there"},
    {VS, "fewer components than read", [](Trial& s) { s.p.outputs[1].mask = 0x1; },
     "the pixel program reads TEXCOORD0 at register 1, which it no longer writes there"},
    {VS, "an output nobody reads",
     [](Trial& s) {
         s.p.outputs.push_back({"COLOR", 0, 2, Float, 0xf, 0});
     },
     nullptr},
    {VS, "the face read on the pixel side",
     [](Trial& s) {
         s.partner.inputs.push_back({"SV_IsFrontFace", 0, 2, Uint, 1, 1});
     },
     nullptr},
    {PS, "the face, made by the rasteriser",
     [](Trial& s) {
         s.p.inputs.push_back({"SV_IsFrontFace", 0, 2, Uint, 1, 1});
     },
     nullptr},
    {PS, "SV_Position at another register", [](Trial& s) { s.p.inputs[0].reg = 2; },
     "it reads SV_Position0 at register 2, which the vertex program does not write there"},
    {PS, "another index", [](Trial& s) { s.p.inputs[1].index = 1; },
     "it reads TEXCOORD1 at register 1, which the vertex program does not write there"},
    {PS, "another semantic", [](Trial& s) { s.p.inputs[1].semantic = "COLOR"; },
     "it reads COLOR0 at register 1, which the vertex program does not write there"},
    {PS, "the semantic in lower case", [](Trial& s) { s.p.inputs[1].semantic = "texcoord"; }, nullptr},
    {PS, "another register", [](Trial& s) { s.p.inputs[1].reg = 2; },
     "it reads TEXCOORD0 at register 2, which the vertex program does not write there"},
    {PS, "read as uint", [](Trial& s) { s.p.inputs[1].componentType = Uint; },
     "it reads TEXCOORD0 at register 1, which the vertex program does not write there"},
    {PS, "more components than written", [](Trial& s) { s.p.inputs[1].used = 0x7; },
     "it reads TEXCOORD0 at register 1, which the vertex program does not write there"},
    {PS, "fewer components than written", [](Trial& s) { s.p.inputs[1].used = 0x1; }, nullptr},
    // Pixel outputs: targets the pass has, and other outputs only where the old program wrote them.
    {PS, "a second target",
     [](Trial& s) {
         s.p.outputs.push_back({"SV_Target", 1, 1, Float, 0xf, 0});
     },
     "it writes SV_Target1; the pass has 1 target"},
    {PS, "a second target for a second target",
     [](Trial& s) {
         s.pass.targetCount = 2;
         s.p.outputs.push_back({"SV_Target", 1, 1, Float, 0xf, 0});
     },
     nullptr},
    {PS, "a target where there is none", [](Trial& s) { s.pass.targetCount = 0; },
     "it writes SV_Target0; the pass has 0 targets"},
    {PS, "depth",
     [](Trial& s) {
         s.p.outputs.push_back({"SV_Depth", 0, 0, Float, 1, 0});
     },
     "it writes SV_Depth0, which the pass does not take"},
    {PS, "depth as before",
     [](Trial& s) {
         s.current.outputs.push_back({"SV_DEPTH", 0, 0, Float, 1, 0});
         s.p.outputs.push_back({"SV_Depth", 0, 0, Float, 1, 0});
     },
     nullptr},
    // Constants: at b8 only, each field where the demo fills it, no larger than the upload.
    {VS, "constants elsewhere", [](Trial& s) { s.p.bindings[0].slot = 3; },
     "constants at b3 (ContextBuffer): the passes bind constants at b8 only"},
    {VS, "another field of the demo's",
     [](Trial& s) {
         s.p.frameConstants.push_back({"frame", 4, 4});
     },
     nullptr},
    {VS, "a field moved", [](Trial& s) { s.p.frameConstants[1].offset = 688; },
     "b8 declares WAVEAMP at byte 688 (4 bytes); the demo fills it at byte 684 (4 bytes)"},
    {VS, "a field resized", [](Trial& s) { s.p.frameConstants[1].size = 8; },
     "b8 declares WAVEAMP at byte 684 (8 bytes); the demo fills it at byte 684 (4 bytes)"},
    {VS, "a field the demo lacks",
     [](Trial& s) {
         s.p.frameConstants.push_back({"SPEED", 860, 4});
     },
     "b8 declares SPEED, which the demo does not fill"},
    {VS, "more constants than uploaded", [](Trial& s) { s.p.frameConstantsSize = 880; },
     "b8 is 880 bytes; the demo uploads 864"},
    {VS, "exactly the upload", [](Trial& s) { s.p.frameConstantsSize = 864; }, nullptr},
    {VS, "an upload of unknown size",
     [](Trial& s) {
         s.pass.constantBytes = 0;
         s.p.frameConstantsSize = 880;
     },
     nullptr},
    // Samplers: s0 to s5, arrays included.
    {PS, "the sixth sampler", [](Trial& s) { s.p.bindings[1].slot = 5; }, nullptr},
    {PS, "a seventh sampler", [](Trial& s) { s.p.bindings[1].slot = 6; },
     "sampler s6 (linearClamp): the demo binds s0 to s5"},
    {PS, "an array up to s5", [](Trial& s) { s.p.bindings[1] = {"ramps", BindingType::Sampler, 3, 3, 0, 0}; }, nullptr},
    {PS, "an array past s5", [](Trial& s) { s.p.bindings[1] = {"ramps", BindingType::Sampler, 4, 3, 0, 0}; },
     "sampler s4 (ramps): the demo binds s0 to s5"},
    // Resources read: every register of an array filled, with the dimension or element size declared.
    {PS, "a register beyond the pass's", [](Trial& s) { s.p.bindings[0].slot = 2; },
     "t2 (picture): the pass binds nothing there"},
    {PS, "a register left empty", [](Trial& s) { s.pass.inputs[1].kind = SlotKind::Empty; },
     "t1 (picture): the pass binds nothing there"},
    {PS, "an array past the pass's registers", [](Trial& s) { s.p.bindings[0].count = 2; },
     "t2 (picture): the pass binds nothing there"},
    {PS, "a texture where a buffer is", [](Trial& s) { s.p.bindings[0].slot = 0; },
     "t0 (picture): the pass binds a buffer of 4-byte elements there, which it declares otherwise"},
    {PS, "a texture where a raw buffer is",
     [](Trial& s) {
         s.pass.inputs[0].stride = 0;
         s.p.bindings[0].slot = 0;
     },
     "t0 (picture): the pass binds a buffer there, which it declares otherwise"},
    {PS, "a 2D texture at a 1D one", [](Trial& s) { s.pass.inputs[1].kind = SlotKind::Texture1D; },
     "t1 (picture): the pass binds a 1D texture there, which it declares otherwise"},
    {PS, "a 1D texture at a 1D one",
     [](Trial& s) {
         s.pass.inputs[1].kind = SlotKind::Texture1D;
         s.p.bindings[0].dimension = Tex1D;
     },
     nullptr},
    {PS, "a 1D texture at a 2D one", [](Trial& s) { s.p.bindings[0].dimension = Tex1D; },
     "t1 (picture): the pass binds a 2D texture there, which it declares otherwise"},
    {PS, "a 2D texture at a 3D one", [](Trial& s) { s.pass.inputs[1].kind = SlotKind::Texture3D; },
     "t1 (picture): the pass binds a 3D texture there, which it declares otherwise"},
    {PS, "a 3D texture at a 3D one",
     [](Trial& s) {
         s.pass.inputs[1].kind = SlotKind::Texture3D;
         s.p.bindings[0].dimension = Tex3D;
     },
     nullptr},
    {PS, "a 3D texture at a 2D one", [](Trial& s) { s.p.bindings[0].dimension = Tex3D; },
     "t1 (picture): the pass binds a 2D texture there, which it declares otherwise"},
    {PS, "a cube", [](Trial& s) { s.p.bindings[0].dimension = Cube; },
     "t1 (picture): the pass binds a 2D texture there, which it declares otherwise"},
    {PS, "a typed buffer at a buffer",
     [](Trial& s) {
         s.p.bindings[0].slot = 0;
         s.p.bindings[0].dimension = Buffer;
     },
     nullptr},
    {PS, "a typed buffer at a texture", [](Trial& s) { s.p.bindings[0].dimension = Buffer; },
     "t1 (picture): the pass binds a 2D texture there, which it declares otherwise"},
    {VS, "another element size", [](Trial& s) { s.p.bindings[1].stride = 16; },
     "t0 (cells): the pass binds a buffer of 4-byte elements there, which it declares otherwise"},
    {VS, "an element size the program leaves open", [](Trial& s) { s.p.bindings[1].stride = 0; }, nullptr},
    {VS, "an element size the pass leaves open", [](Trial& s) { s.pass.inputs[0].stride = 0; }, nullptr},
    {VS, "a structured buffer at a texture", [](Trial& s) { s.p.bindings[1].slot = 1; },
     "t1 (cells): the pass binds a 2D texture there, which it declares otherwise"},
    {VS, "a byte buffer at a buffer", [](Trial& s) { s.p.bindings[1].type = BindingType::ByteBuffer; }, nullptr},
    {VS, "a byte buffer at a texture",
     [](Trial& s) { s.p.bindings[1] = {"raw", BindingType::ByteBuffer, 1, 1, Buffer, 0}; },
     "t1 (raw): the pass binds a 2D texture there, which it declares otherwise"},
    // Resources written: compute passes only, at their outputs u(firstOutput) on.
    {PS, "a writable resource",
     [](Trial& s) {
         s.p.bindings.push_back({"out", BindingType::WritableTexture, 1, 1, Tex2D, 0});
     },
     "u1 (out): draw passes bind no writable resources"},
    {CS, "output over an input", [](Trial& s) { s.p.bindings[1].slot = 0; }, "u0 (next): the pass binds nothing there"},
    {CS, "an output beyond the pass's", [](Trial& s) { s.p.bindings[1].slot = 2; },
     "u2 (next): the pass binds nothing there"},
    {CS, "a writable texture at a buffer",
     [](Trial& s) { s.p.bindings[1] = {"next", BindingType::WritableTexture, 1, 1, Tex2D, 0}; },
     "u1 (next): the pass binds a buffer of 16-byte elements there, which it declares otherwise"},
    {CS, "a writable texture at a texture",
     [](Trial& s) {
         s.pass.outputs[0] = {SlotKind::Texture2D, 0};
         s.p.bindings[1] = {"next", BindingType::WritableTexture, 1, 1, Tex2D, 0};
     },
     nullptr},
    {CS, "a writable byte buffer", [](Trial& s) { s.p.bindings[1].type = BindingType::WritableByteBuffer; }, nullptr},
    // Anything else.
    {CS, "a kind of resource never bound",
     [](Trial& s) {
         s.p.bindings.push_back({"counter", BindingType::Other, 0, 1, 0, 0});
     },
     "counter: a kind of resource the passes never bind"},
};

TEST(ProgramFit, EachRuleTakesWhatKeepsItAndRefusesWhatBreaksIt)
{
    for (const Case& c : cases) {
        Trial s = setup(c.stage);
        c.change(s);
        if (c.stage != CS)
            s.pass.partner = &s.partner;
        std::string why;
        EXPECT_EQ(programFits(s.p, s.current, s.pass, Layout, why), c.why == nullptr) << c.what;
        EXPECT_EQ(why, c.why ? c.why : "") << c.what;
    }
}

}  // namespace
}  // namespace Gfx
}  // namespace Nimbra
