// The text layers' program on the tests' shared device, drawing the logo layer alone (the other
// layers are pages of empty cells) over white: where the logo's sweep has laid down the empty
// cells of the title block, a dark panel (black at 80 %) covers what lies behind; elsewhere an
// empty cell lets it through.
#include "gfx/frame/Camera.h"
#include "content/assets/Assets.h"
#include "tests/support/ProgramTest.h"

#include <d3d11.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <initializer_list>
#include <vector>

namespace {

// 80 columns of 2 pixels; the page shows 22.5 rows, 4 pixels each.
constexpr UINT Width = 160, Height = 90;
constexpr int Columns = 80, PageRows = 51, VisibleRows = 22;
constexpr int SpaceCode = 32;

using Nimbra::Testing::ConstantData;
constexpr UINT FrameManualOverride = 41, FlatL2Frame = 45;

class LayersProgram : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        ID3D11Device* device = Nimbra::graphicsContext.device;
        ASSERT_EQ(device->CreateVertexShader(layersVS, layersVSSize, nullptr, &vs_), S_OK);
        ASSERT_EQ(device->CreatePixelShader(layersPS, layersPSSize, nullptr, &ps_), S_OK);
        kept_.keep(vs_);
        kept_.keep(ps_);
        // t0 font, t1 strip, t2 logo, t3 palette, t4 none, t5 and t6 pages: every layer but the
        // logo is made of empty cells without a background.
        const std::vector<int32_t> emptyStrip = emptyCells(765 / 3);
        const std::vector<int32_t> emptyInfo = emptyCells(379440 / 3);
        const std::vector<int32_t> emptyPattern = emptyCells(146880 / 3);
        views_[0] = kept_.structuredView(fontA, fontASize);
        views_[1] = kept_.structuredView(emptyStrip.data(), UINT(emptyStrip.size() * 4));
        views_[2] = kept_.structuredView(layer2Text, layer2TextSize);
        views_[3] = kept_.structuredView(palette256, palette256Size);
        views_[5] = kept_.structuredView(emptyInfo.data(), UINT(emptyInfo.size() * 4));
        views_[6] = kept_.structuredView(emptyPattern.data(), UINT(emptyPattern.size() * 4));
        ASSERT_TRUE(target_.create(Width, Height, kept_));
        // The text pass's blending: alpha over, the source's alpha kept.
        D3D11_BLEND_DESC b = {};
        b.RenderTarget[0] = {TRUE,
                             D3D11_BLEND_SRC_ALPHA,
                             D3D11_BLEND_INV_SRC_ALPHA,
                             D3D11_BLEND_OP_ADD,
                             D3D11_BLEND_ONE,
                             D3D11_BLEND_ZERO,
                             D3D11_BLEND_OP_ADD,
                             D3D11_COLOR_WRITE_ENABLE_ALL};
        ASSERT_EQ(device->CreateBlendState(&b, &blend_), S_OK);
        kept_.keep(blend_);
    }

    static void TearDownTestSuite()
    {
        kept_.releaseAll();
        blend_ = nullptr;
    }

    void SetUp() override { ASSERT_NE(blend_, nullptr); }

    static std::vector<int32_t> emptyCells(size_t count)
    {
        std::vector<int32_t> cells;
        for (size_t i = 0; i < count; ++i)
            cells.insert(cells.end(), {SpaceCode, 7, -1});
        return cells;
    }

    // Draws the five layer quads with logo frame `frame` over white and returns the red
    // channel at the centre of every visible cell, row by row.
    static std::vector<float> drawLogoFrame(int frame)
    {
        ConstantData data;
        const Nimbra::Matrix4 view = {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};
        const Nimbra::Matrix4 projection = Nimbra::cameraProjection(60.0f, 16.0f / 9.0f);
        data.setMatrix(offsetof(Nimbra::ContextBuffer, viewMatrix), view.m);
        data.setMatrix(offsetof(Nimbra::ContextBuffer, projectionMatrix), projection.m);
        data.setVariable(FrameManualOverride, 1.0f);
        data.setVariable(FlatL2Frame, float(frame));
        Nimbra::Testing::ProgramDraw draw;
        draw.vertexShader = vs_;
        draw.pixelShader = ps_;
        draw.inputs = views_;
        draw.inputCount = 7;
        draw.vertexCount = 6;
        draw.instanceCount = 5;
        draw.blend = blend_;
        for (float& channel : draw.clear)
            channel = 1.0f;  // white
        const std::vector<uint8_t> texels = target_.draw(data, draw);
        std::vector<float> red;
        if (texels.size() != size_t(Width) * Height * 8)
            return red;
        for (int row = 0; row < VisibleRows; ++row)
            for (int column = 0; column < Columns; ++column)
                red.push_back(target_.channelAt(texels, 2 * column + 1, 4 * row + 2, 0));
        return red;
    }

    // The logo's cell at a column and row of a frame, from the embedded data.
    static int32_t codeAt(int frame, int column, int row)
    {
        int32_t code;
        std::memcpy(&code, layer2Text + (((size_t(frame) * PageRows + row) * Columns + column) * 3) * 4, 4);
        return code;
    }

    // Checks every empty cell of the rows given: dark (panel over white) for the columns up to
    // `lastPanelColumn` of the row, white beyond. Returns how many empty cells were checked.
    static int expectPanel(int frame, const std::vector<float>& red, std::initializer_list<std::pair<int, int>> rows)
    {
        int checked = 0;
        for (const auto& [row, lastPanelColumn] : rows)
            for (int column = 0; column < Columns; ++column) {
                if (codeAt(frame, column, row) != SpaceCode)
                    continue;
                const float value = red[size_t(row) * Columns + column];
                if (column <= lastPanelColumn)
                    EXPECT_NEAR(value, 0.2f, 0.01f) << "frame " << frame << ", row " << row << ", column " << column;
                else
                    EXPECT_EQ(value, 1.0f) << "frame " << frame << ", row " << row << ", column " << column;
                ++checked;
            }
        return checked;
    }

    static inline Nimbra::Testing::SuiteObjects kept_;
    static inline ID3D11VertexShader* vs_ = nullptr;
    static inline ID3D11PixelShader* ps_ = nullptr;
    static inline Nimbra::Testing::ProgramTarget target_;
    static inline ID3D11BlendState* blend_ = nullptr;
    static inline ID3D11ShaderResourceView* views_[7] = {};
};

constexpr int None = -1, All = Columns - 1;

TEST_F(LayersProgram, NoPanelBeforeTheSweep)
{
    const std::vector<float> red = drawLogoFrame(0);
    ASSERT_EQ(red.size(), size_t(Columns) * VisibleRows);
    // Frame 0 is empty: every visible cell lets the white through.
    EXPECT_EQ(expectPanel(0, red, {{0, None}, {2, None}, {10, None}, {19, None}, {21, None}}), 5 * Columns);
}

TEST_F(LayersProgram, ThePanelFollowsTheSweepFront)
{
    // In frame 14 the front has travelled 14 / 27 x 128 = 66.37 cells of position (column plus
    // twice the row below row 3); a cell is laid down once the front is 3 past it, so in row 2
    // up to column 65, in row 10 (position column + 14) up to 49, in row 19 up to 31.
    const std::vector<float> red = drawLogoFrame(14);
    ASSERT_EQ(red.size(), size_t(Columns) * VisibleRows);
    EXPECT_GT(expectPanel(14, red, {{2, 65}, {10, 49}, {19, 31}}), 60);
}

TEST_F(LayersProgram, TheWholePanelLiesBehindTheTitleBlockOnly)
{
    // In the last frame every empty cell of rows 2 to 19 is dark, and none above or below.
    const std::vector<float> red = drawLogoFrame(28);
    ASSERT_EQ(red.size(), size_t(Columns) * VisibleRows);
    EXPECT_GT(expectPanel(28, red, {{0, None}, {1, None}, {2, All}, {11, All}, {19, All}, {20, None}, {21, None}}),
              300);
}

}  // namespace
