// demo-sync's editor interface on the tests' shared device: a view with its text drawn by ImGui's
// Direct3D 11 back end into an off-screen target and read back, the pipeline as the passes left
// it, no file of ImGui's own, and the keys and mouse it takes from the window.
#include <gtest/gtest.h>

#include "app/live/EditorGui.h"
#include "tools/capture/PlainTextureDesc.h"
#include "gfx/Resource.h"
#include "tests/gfx/TestShaders.h"
#include "tests/support/BoundPipeline.h"
#include "tests/support/TestDevice.h"
#include "tests/support/TestWindow.h"

#include "imgui.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace Nimbra {
namespace {

using Gfx::releaseAndClear;

// The window shows the target at half its size, as a framed window made smaller shows the back
// buffer: ImGui works in the target's pixels, the mouse arrives in the window's.
constexpr UINT targetWidth = 256, targetHeight = 128;
constexpr RECT windowPlace = {40, 40, 40 + 128, 40 + 64};
const char* const settingsFile = "imgui.ini";
const char* const logFile = "imgui_log.txt";

bool fileExists(const char* name)
{
    FILE* file = std::fopen(name, "rb");
    if (file != nullptr)
        std::fclose(file);
    return file != nullptr;
}

class EditorGuiTest : public testing::Test
{
protected:
    void SetUp() override
    {
        std::remove(settingsFile);
        std::remove(logFile);
        ASSERT_FALSE(fileExists(settingsFile));
        window = openTestWindow(L"NimbraEditorGuiTest", DefWindowProcW, WS_POPUP | WS_VISIBLE, windowPlace);
        ASSERT_NE(window, nullptr);
        const D3D11_TEXTURE2D_DESC desc =
            Gfx::plainTextureDesc(targetWidth, targetHeight, DXGI_FORMAT_R8G8B8A8_UNORM, D3D11_BIND_RENDER_TARGET);
        ASSERT_HRESULT_SUCCEEDED(device->CreateTexture2D(&desc, nullptr, &target));
        ASSERT_HRESULT_SUCCEEDED(device->CreateRenderTargetView(target, nullptr, &targetView));
        ASSERT_TRUE(gui.create(window, device, context));
    }

    void TearDown() override
    {
        gui.destroy();
        releaseAndClear(targetView);
        releaseAndClear(target);
        DestroyWindow(window);
        discardMessages();
        std::remove(settingsFile);
        std::remove(logFile);
    }

    // One turn: a view at (x, y) of w x h target pixels, built by `content`, drawn into the target.
    template <typename Content>
    void turn(float x, float y, float w, float h, Content content)
    {
        gui.beginFrame(targetWidth, targetHeight);
        ImGui::SetNextWindowPos(ImVec2(x, y));
        ImGui::SetNextWindowSize(ImVec2(w, h));
        ImGui::Begin("keys", nullptr, ImGuiWindowFlags_NoTitleBar | ImGuiWindowFlags_NoResize);
        content();
        ImGui::End();
        gui.draw(targetView);
    }

    ID3D11Device* device = graphicsContext.device;
    ID3D11DeviceContext* context = graphicsContext.context;
    HWND window = nullptr;
    ID3D11Texture2D* target = nullptr;
    ID3D11RenderTargetView* targetView = nullptr;
    EditorGui gui;
};

TEST_F(EditorGuiTest, DrawsAViewWithItsTextOverThePictureAndPutsThePipelineBack)
{
    const float clear[4] = {0.2f, 0.4f, 0.6f, 1.0f};
    context->ClearRenderTargetView(targetView, clear);

    // What the passes might have left: another target, a viewport, states, programs, the frame
    // constants at b8 and an input; the shared samplers are bound since the device was installed.
    const D3D11_TEXTURE2D_DESC otherDesc = Gfx::plainTextureDesc(targetWidth, targetHeight, DXGI_FORMAT_R8G8B8A8_UNORM,
                                                                 D3D11_BIND_RENDER_TARGET | D3D11_BIND_SHADER_RESOURCE);
    ID3D11Texture2D* otherTexture = nullptr;
    ID3D11Texture2D* inputTexture = nullptr;
    ID3D11RenderTargetView* other = nullptr;
    ID3D11ShaderResourceView* input = nullptr;
    ASSERT_HRESULT_SUCCEEDED(device->CreateTexture2D(&otherDesc, nullptr, &otherTexture));
    ASSERT_HRESULT_SUCCEEDED(device->CreateTexture2D(&otherDesc, nullptr, &inputTexture));
    ASSERT_HRESULT_SUCCEEDED(device->CreateRenderTargetView(otherTexture, nullptr, &other));
    ASSERT_HRESULT_SUCCEEDED(device->CreateShaderResourceView(inputTexture, nullptr, &input));
    D3D11_BLEND_DESC blending = {};
    blending.RenderTarget[0].RenderTargetWriteMask = D3D11_COLOR_WRITE_ENABLE_RED;
    ID3D11BlendState* blend = nullptr;
    ASSERT_HRESULT_SUCCEEDED(device->CreateBlendState(&blending, &blend));
    D3D11_DEPTH_STENCIL_DESC depthDesc = {};
    depthDesc.DepthWriteMask = D3D11_DEPTH_WRITE_MASK_ZERO;
    depthDesc.DepthFunc = D3D11_COMPARISON_GREATER;
    depthDesc.FrontFace = depthDesc.BackFace = {D3D11_STENCIL_OP_KEEP, D3D11_STENCIL_OP_KEEP, D3D11_STENCIL_OP_KEEP,
                                                D3D11_COMPARISON_ALWAYS};
    ID3D11DepthStencilState* depthStencil = nullptr;
    ASSERT_HRESULT_SUCCEEDED(device->CreateDepthStencilState(&depthDesc, &depthStencil));
    ID3D11RasterizerState* rasterizer = Testing::createUnculledRasterizer();
    ID3D11VertexShader* vertexShader = nullptr;
    ID3D11PixelShader* pixelShader = nullptr;
    ID3D11ComputeShader* computeShader = nullptr;
    ASSERT_HRESULT_SUCCEEDED(device->CreateVertexShader(layersVS, layersVSSize, nullptr, &vertexShader));
    ASSERT_HRESULT_SUCCEEDED(device->CreatePixelShader(fillPS, fillPSSize, nullptr, &pixelShader));
    ASSERT_HRESULT_SUCCEEDED(device->CreateComputeShader(advanceCS, advanceCSSize, nullptr, &computeShader));
    ID3D11Buffer* constants = Testing::createConstantBuffer(864);
    ASSERT_NE(constants, nullptr);
    const D3D11_VIEWPORT viewport = {1.0f, 2.0f, 7.0f, 5.0f, 0.0f, 1.0f};
    context->OMSetRenderTargets(1, &other, nullptr);
    context->RSSetViewports(1, &viewport);
    context->OMSetBlendState(blend, nullptr, 0xFFFFFFFFu);
    context->RSSetState(rasterizer);
    context->OMSetDepthStencilState(depthStencil, 3);
    context->VSSetShader(vertexShader, nullptr, 0);
    context->PSSetShader(pixelShader, nullptr, 0);
    context->CSSetShader(computeShader, nullptr, 0);
    context->VSSetConstantBuffers(frameConstantsRegister, 1, &constants);
    context->PSSetConstantBuffers(frameConstantsRegister, 1, &constants);
    context->PSSetShaderResources(0, 1, &input);
    context->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_POINTLIST);
    const Testing::BoundPipeline before = Testing::boundPipeline(context);
    for (UINT slot = 0; slot < sharedSamplerCount; ++slot)
        ASSERT_NE(before.pixelSamplers[slot], nullptr) << "s" << slot;

    // A view of 128 x 48 at (32, 32) whose text starts at its padding, (40, 40), in the default
    // font's white: 8 glyphs of 7 x 13 pixels.
    turn(32.0f, 32.0f, 128.0f, 48.0f, [] { ImGui::TextUnformatted("ROW 0042"); });
    Testing::expectSamePipeline(before, Testing::boundPipeline(context));

    const std::vector<uint8_t> pixels = Testing::readTexture(target, 4);
    ASSERT_EQ(pixels.size(), size_t(targetWidth) * targetHeight * 4);
    const auto at = [&](UINT x, UINT y) { return &pixels[(y * targetWidth + x) * 4]; };
    const auto isClear = [&](UINT x, UINT y) {
        const uint8_t expected[4] = {51, 102, 153, 255};
        return std::memcmp(at(x, y), expected, 4) == 0;
    };
    EXPECT_TRUE(isClear(8, 8));
    EXPECT_TRUE(isClear(targetWidth - 8, targetHeight - 8));
    EXPECT_TRUE(isClear(200, 56));   // beside the view
    EXPECT_FALSE(isClear(150, 72));  // the view's backdrop, away from its text
    int glyphPixels = 0, clearUnderText = 0;
    for (UINT y = 40; y < 53; ++y)
        for (UINT x = 40; x < 96; ++x) {
            const uint8_t* p = at(x, y);
            glyphPixels += p[0] >= 200 && p[1] >= 200 && p[2] >= 200;
            clearUnderText += isClear(x, y);
        }
    EXPECT_GT(glyphPixels, 40);
    EXPECT_EQ(clearUnderText, 0);

    context->OMSetRenderTargets(0, nullptr, nullptr);
    ID3D11ShaderResourceView* none = nullptr;
    context->PSSetShaderResources(0, 1, &none);
    context->OMSetBlendState(nullptr, nullptr, 0xFFFFFFFFu);
    context->OMSetDepthStencilState(nullptr, 0);
    context->RSSetState(nullptr);
    context->VSSetShader(nullptr, nullptr, 0);
    context->PSSetShader(nullptr, nullptr, 0);
    context->CSSetShader(nullptr, nullptr, 0);
    for (IUnknown* object :
         std::initializer_list<IUnknown*>{constants, computeShader, pixelShader, vertexShader, rasterizer, depthStencil,
                                          blend, input, other, inputTexture, otherTexture})
        object->Release();
}

// A view has settings ImGui would save to imgui.ini when the context ends, and a log opened
// without a name would go to imgui_log.txt: neither is written.
TEST_F(EditorGuiTest, WritesNoSettingsOrLogFile)
{
    for (int frame = 0; frame < 2; ++frame)
        turn(16.0f, 16.0f, 64.0f, 32.0f, [] {
            ImGui::LogToFile();
            ImGui::TextUnformatted("logged");
            ImGui::LogFinish();
        });
    gui.destroy();
    EXPECT_FALSE(fileExists(settingsFile));
    EXPECT_FALSE(fileExists(logFile));
}

// Keys reach the window until a text field has focus; then ImGui takes them and they type.
TEST_F(EditorGuiTest, KeysGoToTheWindowUntilATextFieldHasFocus)
{
    char text[16] = "";
    const auto field = [&](bool focus) {
        return [&text, focus] {
            if (focus)
                ImGui::SetKeyboardFocusHere();
            ImGui::InputText("##value", text, sizeof text);
        };
    };
    turn(16.0f, 16.0f, 96.0f, 32.0f, field(false));
    gui.beginFrame(targetWidth, targetHeight);
    gui.draw(nullptr);
    EXPECT_FALSE(gui.wantsKeyboard());
    EXPECT_FALSE(gui.takeMessage(WM_KEYDOWN, VK_SPACE, 1));
    EXPECT_FALSE(gui.takeMessage(WM_KEYUP, VK_SPACE, 1u | 3u << 30));

    turn(16.0f, 16.0f, 96.0f, 32.0f, field(true));
    for (int frame = 0; frame < 3 && !gui.wantsKeyboard(); ++frame)
        turn(16.0f, 16.0f, 96.0f, 32.0f, field(false));
    ASSERT_TRUE(gui.wantsKeyboard());
    EXPECT_FALSE(gui.wantsMouse());
    EXPECT_TRUE(gui.takeMessage(WM_KEYDOWN, 'A', 1));
    EXPECT_TRUE(gui.takeMessage(WM_CHAR, 'a', 1));
    EXPECT_TRUE(gui.takeMessage(WM_KEYUP, 'A', 1u | 3u << 30));
    turn(16.0f, 16.0f, 96.0f, 32.0f, field(false));
    EXPECT_STREQ(text, "a");
    // A key pressed and let go between two frames, as at a frame a second: the frame after sees it
    // down, so Enter still ends the field's typing; the next sees it let go.
    bool entered = false;
    const auto enter = [&] {
        entered = ImGui::InputText("##value", text, sizeof text, ImGuiInputTextFlags_EnterReturnsTrue) || entered;
    };
    gui.takeMessage(WM_KEYDOWN, VK_RETURN, 1);
    gui.takeMessage(WM_KEYUP, VK_RETURN, 1u | 3u << 30);
    turn(16.0f, 16.0f, 96.0f, 32.0f, enter);
    EXPECT_TRUE(entered);
    turn(16.0f, 16.0f, 96.0f, 32.0f, enter);
    EXPECT_FALSE(ImGui::IsKeyDown(VK_RETURN));
    // Neither a key nor the mouse: only what ImGui itself answers, the cursor over the client area.
    EXPECT_FALSE(gui.takeMessage(WM_TIMER, 1, 0));
    EXPECT_TRUE(gui.takeMessage(WM_SETCURSOR, WPARAM(window), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
    EXPECT_FALSE(gui.takeMessage(WM_SETCURSOR, WPARAM(window), MAKELPARAM(HTCAPTION, WM_MOUSEMOVE)));
}

// The view covers target pixels (64..160, 32..96), the window's (32..80, 16..48): the mouse at the
// window's (40, 24) is over it once scaled to the target, (80, 48), and would not be unscaled. The
// view is built twice a case: ImGui finds the view under the mouse as the last frame placed it.
TEST_F(EditorGuiTest, TheMouseOverAViewIsTakenInTheTargetsPixels)
{
    const auto view = [this] {
        for (int frame = 0; frame < 2; ++frame)
            turn(64.0f, 32.0f, 96.0f, 64.0f, [] { ImGui::TextUnformatted("curve"); });
    };
    struct Case {
        int x, y;
        bool over;
    };
    for (const Case& c : {Case{10, 10, false}, Case{40, 24, true}, Case{100, 60, false}, Case{-4, 30, false}}) {
        EXPECT_FALSE(gui.takeMessage(WM_MOUSEMOVE, 0, MAKELPARAM(c.x, c.y))) << "before " << c.x << "," << c.y;
        view();
        EXPECT_EQ(gui.wantsMouse(), c.over) << c.x << "," << c.y;
        EXPECT_FLOAT_EQ(ImGui::GetIO().MousePos.x, float(c.x * 2)) << c.x << "," << c.y;
        EXPECT_FLOAT_EQ(ImGui::GetIO().MousePos.y, float(c.y * 2)) << c.x << "," << c.y;
        EXPECT_EQ(gui.takeMessage(WM_MOUSEWHEEL, 0, 0), c.over) << c.x << "," << c.y;
        EXPECT_EQ(gui.takeMessage(WM_MOUSEMOVE, 0, MAKELPARAM(c.x, c.y)), c.over) << c.x << "," << c.y;
        EXPECT_FALSE(gui.wantsKeyboard());
        if (c.over) {  // leaving the window leaves the view
            gui.takeMessage(WM_MOUSELEAVE, 0, 0);
            view();
            EXPECT_FALSE(gui.wantsMouse());
            EXPECT_FALSE(ImGui::IsMousePosValid());
        }
    }
}

}  // namespace
}  // namespace Nimbra
