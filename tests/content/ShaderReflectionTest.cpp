// The embedded shader programs as Direct3D sees them: stage, signatures, resource bindings
// and the layout of the frame constants at b8, read back with D3DReflect; and the device
// creates every program.
#include "content/assets/Assets.h"
#include "tests/support/TestDevice.h"

#include <d3d11.h>
#include <d3d11shader.h>
#include <d3dcompiler.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

struct Program {
    const char* name;
    const unsigned char* code;
    unsigned int size;
};

// clang-format off
#define PROGRAM(name) Program{#name, name, name##Size}
const Program Programs[] = {
    PROGRAM(fullscreenVS), PROGRAM(waveLinesVS), PROGRAM(waveLinesPS), PROGRAM(focusBlurPS),
    PROGRAM(layersVS),     PROGRAM(layersPS),    PROGRAM(compositePS), PROGRAM(blurPS),
    PROGRAM(scrollerVS),   PROGRAM(scrollerPS),  PROGRAM(combinePS),   PROGRAM(scrollerBlurPS),
    PROGRAM(rotationCS),
};
#undef PROGRAM
// clang-format on

// One signature element: semantic and index, component type, mask, register (-1: any).
struct Element {
    const char* semantic;
    UINT index;
    D3D_REGISTER_COMPONENT_TYPE type;
    BYTE mask;
    int reg;
};

constexpr auto F = D3D_REGISTER_COMPONENT_FLOAT32;
constexpr auto U = D3D_REGISTER_COMPONENT_UINT32;
const Element Position = {"SV_POSITION", 0, F, 0xf, 0};
const Element FullscreenUv = {"TEXCOORD", 0, F, 0x3, 1};
const Element Target = {"SV_TARGET", 0, F, 0xf, 0};
const Element VertexId = {"SV_VertexID", 0, U, 0x1, 0};
const Element InstanceId = {"SV_InstanceID", 0, U, 0x1, 1};
const std::vector<Element> FullscreenInput = {Position, FullscreenUv};
const std::vector<Element> WaveOutput = {Position, {"TEXCOORD", 0, F, 0x1, 1}};
const std::vector<Element> LayersOutput = {Position,
                                           FullscreenUv,
                                           {"TEXCOORD", 2, U, 0x1, 2},
                                           {"TEXCOORD", 1, U, 0x2, 2}};
const std::vector<Element> ScrollerOutput = {Position,
                                             {"NORMAL", 0, F, 0x7, -1},
                                             {"WORLDPOS", 0, F, 0x7, -1},
                                             {"COLOR", 0, F, 0xf, -1}};

// One resource binding: name, input type, register, dimension and, for structured buffers,
// the element stride.
struct Binding {
    const char* name;
    D3D_SHADER_INPUT_TYPE type;
    UINT point;
    D3D_SRV_DIMENSION dimension;
    UINT stride;
};

constexpr auto Tex = D3D_SIT_TEXTURE;
constexpr auto Structured = D3D_SIT_STRUCTURED;
constexpr auto Sampler = D3D_SIT_SAMPLER;
constexpr auto T2D = D3D_SRV_DIMENSION_TEXTURE2D;
constexpr auto T3D = D3D_SRV_DIMENSION_TEXTURE3D;
constexpr auto Buf = D3D_SRV_DIMENSION_BUFFER;
constexpr auto NoDim = D3D_SRV_DIMENSION_UNKNOWN;
const Binding Constants = {"ContextBuffer", D3D_SIT_CBUFFER, 8, NoDim, 0};

// Program types of the version token (bits 16 and up).
enum Stage : UINT {
    PixelStage = 0,
    VertexStage = 1,
    ComputeStage = 5,
};

struct Interface {
    const char* program;
    Stage stage;
    std::vector<Element> inputs;
    std::vector<Element> outputs;
    std::vector<Binding> bindings;
};

const std::vector<Interface>& interfaces()
{
    // clang-format off
    static const std::vector<Interface> table = {
        {"fullscreenVS", VertexStage, {VertexId}, FullscreenInput, {}},
        {"waveLinesVS", VertexStage, {VertexId, InstanceId}, WaveOutput,
         {{"bufferSRV2", Structured, 0, Buf, 16}, Constants}},
        {"waveLinesPS", PixelStage, WaveOutput, {Target}, {}},
        {"focusBlurPS", PixelStage, FullscreenInput, {Target},
         {{"smpLinearClamp", Sampler, 0, NoDim, 0}, {"InputTexture", Tex, 0, T2D, 0}, Constants}},
        {"layersVS", VertexStage, {VertexId, InstanceId}, LayersOutput, {Constants}},
        {"layersPS", PixelStage, LayersOutput, {Target},
         {{"smpLinearClamp", Sampler, 0, NoDim, 0},
          {"c64fontBuffer", Structured, 0, Buf, 4},
          {"textBuffer1", Structured, 1, Buf, 4},
          {"textBuffer2", Structured, 2, Buf, 4},
          {"colorpalette", Structured, 3, Buf, 4},
          {"inputTexture", Tex, 4, T3D, 0},
          {"textBuffer3", Structured, 5, Buf, 4},
          {"textBuffer4", Structured, 6, Buf, 4},
          Constants}},
        {"compositePS", PixelStage, FullscreenInput, {Target},
         {{"smpLinearClamp", Sampler, 0, NoDim, 0},
          {"inputTexture", Tex, 0, T2D, 0},
          {"inputTexture2", Tex, 1, T2D, 0},
          {"mapTexture", Tex, 2, T2D, 0},
          {"inputTexture3", Tex, 3, T2D, 0},
          Constants}},
        {"blurPS", PixelStage, FullscreenInput, {Target},
         {{"LinearSampler", Sampler, 0, NoDim, 0}, {"InputTexture", Tex, 0, T2D, 0}, Constants}},
        {"scrollerVS", VertexStage, {VertexId, InstanceId}, ScrollerOutput,
         {{"c64fontBuffer", Structured, 0, Buf, 4},
          {"textBuffer", Structured, 1, Buf, 4},
          {"colorpalette", Structured, 2, Buf, 4},
          Constants}},
        {"scrollerPS", PixelStage, ScrollerOutput, {Target}, {}},
        {"combinePS", PixelStage, FullscreenInput, {Target},
         {{"smpLinearClamp", Sampler, 0, NoDim, 0}, {"inputTexture", Tex, 0, T2D, 0}, {"inputTexture2", Tex, 1, T2D, 0}}},
        {"scrollerBlurPS", PixelStage, FullscreenInput, {Target},
         {{"LinearSampler", Sampler, 0, NoDim, 0}, {"InputTexture", Tex, 0, T2D, 0}, Constants}},
        {"rotationCS", ComputeStage, {}, {},
         {{"bufferSRV", Structured, 0, Buf, 16}, {"bufferUAV", D3D_SIT_UAV_RWSTRUCTURED, 1, Buf, 16}, Constants}},
    };
    // clang-format on
    return table;
}

const Program& program(const std::string& name)
{
    for (const Program& p : Programs)
        if (name == p.name)
            return p;
    static const Program none = {"", nullptr, 0};
    return none;
}

// The names of the 64 animated variables behind the 608-byte frame header, in order.
const char* const VariableNames[64] = {
    "CameraPosX",
    "CameraPosY",
    "CameraPosZ",
    "CameraDirX",
    "CameraDirY",
    "CameraDirZ",
    "CameraFOV",
    "CameraRoll",
    "WEIGHTSTNY",
    "BLRSTRENGHT",
    "FCSRANGE",
    "KRNSIZE",
    "FOCALDIST",
    "FRAME",
    "DOFBLUR",
    "GLITCH",
    "RSPEEDX",
    "RSPEEDY",
    "RSPEEDZ",
    "WAVEAMP",
    "BRUS",
    "BLANKOUT",
    "INTERLACE",
    "L1_X_OFFSET",
    "L1_Y_OFFSET",
    "L1_Z_OFFSET",
    "L1_ROT_X",
    "L1_ROT_Y",
    "L1_ROT_Z",
    "L1_MIRROR_X",
    "L1_MIRROR_Y",
    "L1_FRAMECOUNT",
    "L1_START",
    "L1_MANUAL_OR",
    "L1_FRAME",
    "L1_FPS",
    "L1_COL",
    "L1TEXT_R",
    "L1TEXT_G",
    "L1TEXT_B",
    "L1TEXT_A",
    "FRAMEMANUALOVERRIDE",
    "PTRNLNGHT",
    "L1_ROW_X_OFFSET",
    "FLAT_L1_FRAME",
    "FLAT_L2_FRAME",
    "FLAT_L3_FRAME",
    "FLAT_L4_FRAME",
    "FLAT_L1_X_OFFSET",
    "FLAT_L2_X_OFFSET",
    "FLAT_L3_X_OFFSET",
    "FLAT_L4_X_OFFSET",
    "FLAT_L1_Y_OFFSET",
    "FLAT_L2_Y_OFFSET",
    "FLAT_L3_Y_OFFSET",
    "FLAT_L4_Y_OFFSET",
    "SCROLLERMAXBLUR",
    "FLAT_L1_Z_OFFSET",
    "FLAT_L2_Z_OFFSET",
    "FLAT_L3_Z_OFFSET",
    "FLAT_L4_Z_OFFSET",
    "POST",
    "NEGT",
    "LNWIDHT",
};

struct HeaderMember {
    const char* name;
    UINT offset;
    D3D_SHADER_VARIABLE_CLASS kind;
    D3D_SHADER_VARIABLE_TYPE type;
    UINT columns;
};

const HeaderMember Header[15] = {
    {"time", 0, D3D_SVC_SCALAR, D3D_SVT_FLOAT, 1},
    {"frame", 4, D3D_SVC_SCALAR, D3D_SVT_UINT, 1},
    {"elapsedTime", 8, D3D_SVC_SCALAR, D3D_SVT_FLOAT, 1},
    {"aspectRatio", 12, D3D_SVC_SCALAR, D3D_SVT_FLOAT, 1},
    {"resolution", 16, D3D_SVC_VECTOR, D3D_SVT_FLOAT, 2},
    {"invResolution", 24, D3D_SVC_VECTOR, D3D_SVT_FLOAT, 2},
    {"viewMatrix", 32, D3D_SVC_MATRIX_COLUMNS, D3D_SVT_FLOAT, 4},
    {"projectionMatrix", 96, D3D_SVC_MATRIX_COLUMNS, D3D_SVT_FLOAT, 4},
    {"viewProjectionMatrix", 160, D3D_SVC_MATRIX_COLUMNS, D3D_SVT_FLOAT, 4},
    {"invViewMatrix", 224, D3D_SVC_MATRIX_COLUMNS, D3D_SVT_FLOAT, 4},
    {"invProjectionMatrix", 288, D3D_SVC_MATRIX_COLUMNS, D3D_SVT_FLOAT, 4},
    {"invViewProjectionMatrix", 352, D3D_SVC_MATRIX_COLUMNS, D3D_SVT_FLOAT, 4},
    {"lastViewMatrix", 416, D3D_SVC_MATRIX_COLUMNS, D3D_SVT_FLOAT, 4},
    {"lastProjectionMatrix", 480, D3D_SVC_MATRIX_COLUMNS, D3D_SVT_FLOAT, 4},
    {"lastViewProjectionMatrix", 544, D3D_SVC_MATRIX_COLUMNS, D3D_SVT_FLOAT, 4},
};

class Reflection
{
public:
    explicit Reflection(const Program& p)
    {
        D3DReflect(p.code, p.size, IID_ID3D11ShaderReflection, reinterpret_cast<void**>(&reflection_));
    }
    ~Reflection()
    {
        if (reflection_)
            reflection_->Release();
    }
    ID3D11ShaderReflection* operator->() const { return reflection_; }
    explicit operator bool() const { return reflection_ != nullptr; }

private:
    ID3D11ShaderReflection* reflection_ = nullptr;
};

void expectSignature(const std::vector<Element>& expected, UINT count,
                     const std::function<D3D11_SIGNATURE_PARAMETER_DESC(UINT)>& get, const char* what)
{
    ASSERT_EQ(count, expected.size()) << what;
    for (UINT i = 0; i < count; ++i) {
        D3D11_SIGNATURE_PARAMETER_DESC d = get(i);
        const Element& e = expected[i];
        EXPECT_STRCASEEQ(d.SemanticName, e.semantic) << what << " " << i;
        EXPECT_EQ(d.SemanticIndex, e.index) << what << " " << e.semantic;
        EXPECT_EQ(d.ComponentType, e.type) << what << " " << e.semantic;
        EXPECT_EQ(d.Mask, e.mask) << what << " " << e.semantic;
        if (e.reg >= 0) {
            EXPECT_EQ(d.Register, UINT(e.reg)) << what << " " << e.semantic;
        }
    }
}

TEST(ShaderReflection, StagesSignaturesAndBindings)
{
    for (const Interface& expected : interfaces()) {
        SCOPED_TRACE(expected.program);
        const Program& p = program(expected.program);
        ASSERT_NE(p.code, nullptr);
        Reflection r(p);
        ASSERT_TRUE(r);
        D3D11_SHADER_DESC desc = {};
        ASSERT_EQ(r->GetDesc(&desc), S_OK);
        EXPECT_EQ(desc.Version >> 16, UINT(expected.stage));
        EXPECT_EQ((desc.Version >> 4) & 0xf, 5u);  // shader model 5.0
        EXPECT_EQ(desc.Version & 0xf, 0u);

        expectSignature(
            expected.inputs, desc.InputParameters,
            [&](UINT i) {
                D3D11_SIGNATURE_PARAMETER_DESC d = {};
                r->GetInputParameterDesc(i, &d);
                return d;
            },
            "input");
        expectSignature(
            expected.outputs, desc.OutputParameters,
            [&](UINT i) {
                D3D11_SIGNATURE_PARAMETER_DESC d = {};
                r->GetOutputParameterDesc(i, &d);
                return d;
            },
            "output");

        ASSERT_EQ(desc.BoundResources, expected.bindings.size());
        for (const Binding& b : expected.bindings) {
            D3D11_SHADER_INPUT_BIND_DESC d = {};
            ASSERT_EQ(r->GetResourceBindingDescByName(b.name, &d), S_OK) << b.name;
            EXPECT_EQ(d.Type, b.type) << b.name;
            EXPECT_EQ(d.BindPoint, b.point) << b.name;
            EXPECT_EQ(d.BindCount, 1u) << b.name;
            EXPECT_EQ(d.Dimension, b.dimension) << b.name;
            if (b.type == Structured || b.type == D3D_SIT_UAV_RWSTRUCTURED) {
                EXPECT_EQ(d.NumSamples, b.stride) << b.name;  // the element stride
            }
            if (b.type == Tex) {
                EXPECT_EQ(d.ReturnType, D3D_RETURN_TYPE_FLOAT) << b.name;
            }
        }
        if (expected.stage == ComputeStage) {
            UINT x = 0, y = 0, z = 0;
            r->GetThreadGroupSize(&x, &y, &z);
            EXPECT_EQ(x * y * z, 1u);
        }
    }
}

TEST(ShaderReflection, FrameConstantsLayout)
{
    for (const Interface& expected : interfaces()) {
        bool declares = false;
        for (const Binding& b : expected.bindings)
            declares |= b.type == D3D_SIT_CBUFFER;
        if (!declares)
            continue;
        SCOPED_TRACE(expected.program);
        Reflection r(program(expected.program));
        ASSERT_TRUE(r);
        ID3D11ShaderReflectionConstantBuffer* cb = r->GetConstantBufferByName("ContextBuffer");
        D3D11_SHADER_BUFFER_DESC cbDesc = {};
        ASSERT_EQ(cb->GetDesc(&cbDesc), S_OK);
        EXPECT_EQ(cbDesc.Size, 864u);
        ASSERT_EQ(cbDesc.Variables, 79u);
        for (UINT i = 0; i < 79; ++i) {
            ID3D11ShaderReflectionVariable* v = cb->GetVariableByIndex(i);
            D3D11_SHADER_VARIABLE_DESC vd = {};
            ASSERT_EQ(v->GetDesc(&vd), S_OK);
            D3D11_SHADER_TYPE_DESC td = {};
            v->GetType()->GetDesc(&td);
            if (i < 15) {
                const HeaderMember& m = Header[i];
                EXPECT_STREQ(vd.Name, m.name);
                EXPECT_EQ(vd.StartOffset, m.offset) << m.name;
                EXPECT_EQ(td.Class, m.kind) << m.name;
                EXPECT_EQ(td.Type, m.type) << m.name;
                EXPECT_EQ(td.Columns, m.columns) << m.name;
                if (m.kind == D3D_SVC_MATRIX_COLUMNS) {
                    EXPECT_EQ(td.Rows, 4u) << m.name;
                    EXPECT_EQ(vd.Size, 64u) << m.name;
                }
            } else {
                EXPECT_STREQ(vd.Name, VariableNames[i - 15]);
                EXPECT_EQ(vd.StartOffset, 608 + 4 * (i - 15)) << vd.Name;
                EXPECT_EQ(vd.Size, 4u) << vd.Name;
                EXPECT_EQ(td.Type, D3D_SVT_FLOAT) << vd.Name;
            }
        }
        D3D11_SHADER_VARIABLE_DESC weights = {}, width = {};
        cb->GetVariableByName("WEIGHTSTNY")->GetDesc(&weights);
        cb->GetVariableByName("LNWIDHT")->GetDesc(&width);
        EXPECT_EQ(weights.StartOffset, 640u);
        EXPECT_EQ(width.StartOffset, 860u);
    }
}

TEST(ShaderReflection, RotationStateIsSixteenBytes)
{
    Reflection r(program("rotationCS"));
    ASSERT_TRUE(r);
    ID3D11ShaderReflectionConstantBuffer* state = r->GetConstantBufferByName("bufferSRV");
    D3D11_SHADER_BUFFER_DESC d = {};
    ASSERT_EQ(state->GetDesc(&d), S_OK);
    EXPECT_EQ(d.Type, D3D_CT_RESOURCE_BIND_INFO);
    EXPECT_EQ(d.Size, 16u);
    ID3D11ShaderReflectionType* element = state->GetVariableByIndex(0)->GetType();
    D3D11_SHADER_TYPE_DESC td = {};
    element->GetDesc(&td);
    ASSERT_EQ(td.Members, 2u);
    EXPECT_STREQ(element->GetMemberTypeName(0), "angles");
    EXPECT_STREQ(element->GetMemberTypeName(1), "padding");
    D3D11_SHADER_TYPE_DESC angles = {}, padding = {};
    element->GetMemberTypeByIndex(0)->GetDesc(&angles);
    element->GetMemberTypeByIndex(1)->GetDesc(&padding);
    // Member offsets are not reported by every reflection implementation; the sizes are:
    // a float3 and a float fill the 16-byte element.
    EXPECT_EQ(angles.Class, D3D_SVC_VECTOR);
    EXPECT_EQ(angles.Columns, 3u);
    EXPECT_EQ(padding.Class, D3D_SVC_SCALAR);
    EXPECT_EQ(padding.Type, D3D_SVT_FLOAT);
}

TEST(ShaderPrograms, TheDeviceCreatesEveryProgram)
{
    ID3D11Device* device = Nimbra::graphicsContext.device;
    HRESULT hr = E_FAIL;
    for (const Program& p : Programs) {
        std::string name = p.name;
        ID3D11DeviceChild* shader = nullptr;
        char stage = name[name.size() - 2];
        if (stage == 'V')
            hr = device->CreateVertexShader(p.code, p.size, nullptr, reinterpret_cast<ID3D11VertexShader**>(&shader));
        else if (stage == 'P')
            hr = device->CreatePixelShader(p.code, p.size, nullptr, reinterpret_cast<ID3D11PixelShader**>(&shader));
        else
            hr = device->CreateComputeShader(p.code, p.size, nullptr, reinterpret_cast<ID3D11ComputeShader**>(&shader));
        EXPECT_EQ(hr, S_OK) << name;
        EXPECT_NE(shader, nullptr) << name;
        if (shader)
            shader->Release();
    }
}

}  // namespace
