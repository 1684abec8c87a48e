// CPU cost of DemoPlayer::render for a content-shaped frame (64 float variables, a compute pass, eight trivial draw
// passes, the final copy), excluding the wait for the GPU after each frame.
//   player-bench [frames]      (run under Wine inside scripts/session.sh)
#include "gfx/frame/GraphicsContext.h"
#include "gfx/BufferRuntime.h"
#include "gfx/DemoPlayer.h"
#include "gfx/TextureRuntime.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

extern const unsigned char benchVS[];
extern const unsigned int benchVSSize;
extern const unsigned char benchPS[];
extern const unsigned int benchPSSize;
extern const unsigned char benchCS[];
extern const unsigned int benchCSSize;

namespace Nimbra {
int32_t screenWidth = 640;
int32_t screenHeight = 360;
}  // namespace Nimbra

using namespace Nimbra;
using namespace Nimbra::Gfx;

namespace {

constexpr uint32_t variableCount = 64;
constexpr uint32_t drawPassCount = 8;

TextureRuntime* screenTexture()
{
    TextureDesc desc;
    desc.width = screenWidth;
    desc.height = screenHeight;
    TextureRuntime* texture = new TextureRuntime();
    texture->create(desc, false);
    return texture;
}

DemoPlayer* buildPlayer()
{
    DemoPlayer* player = new DemoPlayer();
    GrowArray<DemoVariable> variables;
    for (uint32_t i = 0; i < variableCount; ++i)
        variables.push(makeDemoVariable("Bench", VariableType::Float, 0.01f * static_cast<float>(i)));
    player->variables = variables;

    BufferDesc stateDesc;
    stateDesc.stride = 4;
    stateDesc.countX = 64;
    BufferRuntime* state = new BufferRuntime();
    state->create(stateDesc, true);
    player->resources.slot(0) = state;

    ComputePassDesc computeDesc;
    computeDesc.kernelCode = benchCS;
    computeDesc.kernelCodeSize = benchCSSize;
    computeDesc.sizeX = 64;
    computeDesc.sizeY = 1;
    computeDesc.inputs.push(ResourceBinding{BufferBinding, state});
    computeDesc.outputs.push(ResourceBinding{BufferBinding, state});
    ComputePass* compute = new ComputePass();
    compute->initialize(computeDesc);
    player->computePasses.slot(0) = compute;
    player->passes.push(PassEntry{ComputePassKind, compute});

    TextureRuntime* previous = nullptr;
    for (uint32_t i = 0; i < drawPassCount; ++i) {
        TextureRuntime* target = screenTexture();
        player->resources.slot(1 + i) = target;
        DrawPassDesc desc;
        desc.vertexCode = benchVS;
        desc.vertexCodeSize = benchVSSize;
        desc.pixelCode = benchPS;
        desc.pixelCodeSize = benchPSSize;
        desc.targets.push(TargetBinding{target, true});
        // Each pass reads the one before, like the content's chain of layers.
        desc.inputs.push(ResourceBinding{TextureBinding, previous});
        DrawPass* pass = new DrawPass();
        pass->initialize(desc);
        player->drawPasses.slot(i) = pass;
        player->passes.push(PassEntry{DrawPassKind, pass});
        previous = target;
    }
    player->output = previous;
    player->variableBlock.rebuild(player->variables);
    player->firstFrame = true;
    player->initialize();
    return player;
}

// Blocks until the GPU has finished everything submitted so far.
void waitForGpu(ID3D11Query* query)
{
    ID3D11DeviceContext* context = graphicsContext.context;
    context->End(query);
    context->Flush();
    BOOL done = FALSE;
    while (context->GetData(query, &done, sizeof done, 0) != S_OK || !done)
        Sleep(0);
}

}  // namespace

int main(int argc, char** argv)
{
    const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 600;
    ID3D11Device* device = nullptr;
    ID3D11DeviceContext* context = nullptr;
    const D3D_FEATURE_LEVEL level = D3D_FEATURE_LEVEL_11_0;
    if (FAILED(D3D11CreateDevice(nullptr, D3D_DRIVER_TYPE_HARDWARE, nullptr, 0, &level, 1, D3D11_SDK_VERSION, &device,
                                 nullptr, &context))) {
        std::fprintf(stderr, "player-bench: no Direct3D 11 device\n");
        ExitProcess(1);
    }
    installGraphicsContext(ContextBuffer{}, device, context);
    DemoPlayer* player = buildPlayer();

    D3D11_QUERY_DESC queryDesc = {D3D11_QUERY_EVENT, 0};
    ID3D11Query* query = nullptr;
    device->CreateQuery(&queryDesc, &query);

    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    std::vector<double> micros;
    micros.reserve(static_cast<size_t>(frames));
    const int warmUp = 30;
    for (int frame = 0; frame < warmUp + frames; ++frame) {
        ContextBuffer header = {};
        header.time = static_cast<float>(frame) / 60.0f;
        header.frame = static_cast<uint32_t>(frame);
        header.elapsedTime = 1.0f / 60.0f;
        header.resolution = {static_cast<float>(screenWidth), static_cast<float>(screenHeight)};
        updateFrameContext(header);
        for (uint32_t i = 0; i < variableCount; ++i)
            player->variables[i].value[0] = 0.001f * static_cast<float>(frame + static_cast<int>(i));

        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        player->render();
        QueryPerformanceCounter(&end);
        if (query != nullptr)
            waitForGpu(query);
        if (frame >= warmUp)
            micros.push_back(1e6 * static_cast<double>(end.QuadPart - start.QuadPart) /
                             static_cast<double>(frequency.QuadPart));
    }

    std::sort(micros.begin(), micros.end());
    double sum = 0.0;
    for (double m : micros)
        sum += m;
    std::printf("DemoPlayer::render, %u variables, %u passes + final copy, %d frames:\n", variableCount,
                drawPassCount + 1, frames);
    std::printf("  mean %.1f us, median %.1f us, 95th percentile %.1f us, min %.1f us\n", sum / micros.size(),
                micros[micros.size() / 2], micros[micros.size() * 95 / 100], micros.front());
    std::fflush(stdout);
    ExitProcess(0);
}
