#include "tools/capture/CaptureRender.h"

#include "app/GraphicsContext.h"
#include "gfx/DemoPlayer.h"

#include <cstdlib>

namespace Nimbra {

namespace {

using namespace Gfx;

// "draw 5" or "compute 0" by the pass's key in the player's tables; the passes the player adds
// itself have no key.
std::string passName(DemoPlayer& player, const PassEntry& entry)
{
    const bool draw = entry.kind == DrawPassKind;
    const uint32_t buckets = draw ? player.drawPasses.bucketCount : player.computePasses.bucketCount;
    for (uint32_t b = 0; b < buckets; ++b) {
        if (draw) {
            for (auto* node = player.drawPasses.buckets[b]; node; node = node->next)
                if (node->value == entry.pass)
                    return "draw " + std::to_string(node->key);
        } else {
            for (auto* node = player.computePasses.buckets[b]; node; node = node->next)
                if (node->value == entry.pass)
                    return "compute " + std::to_string(node->key);
        }
    }
    return "final copy";
}

template <typename Visit>
void forEachResource(DemoPlayer& player, Visit visit)
{
    for (uint32_t b = 0; b < player.resources.bucketCount; ++b)
        for (auto* node = player.resources.buckets[b]; node; node = node->next)
            if (node->value)
                visit(*node->value);
}

}  // namespace

TimedRenderer::TimedRenderer(DemoPlayer& player, ID3D11Device* device, ID3D11DeviceContext* context)
    : player(player), timer(device, context, player.passes.count)
{
    for (const PassEntry& entry : player.passes)
        passNames.push_back(passName(player, entry));
}

void TimedRenderer::render()
{
    player.variableBlock.releasePacking();
    player.variableBlock.rebuild(player.variables);
    uint32_t constantSize = 0;
    uint8_t* constantData = buildConstantData(graphicsContext.header, player.variableBlock, constantSize);
    const float t = graphicsContext.header.time;
    forEachResource(player, [](Resource& resource) { resource.update(); });

    timer.beginFrame();
    timer.mark(0);
    uint32_t index = 0;
    for (const PassEntry& entry : player.passes) {
        if (entry.kind == DrawPassKind) {
            auto* pass = static_cast<DrawPass*>(entry.pass);
            if (pass && passEnabled(pass->enableMode, pass->startTime, pass->endTime, t, player.firstFrame))
                pass->execute(constantData, constantSize);
        } else if (entry.kind == ComputePassKind) {
            auto* pass = static_cast<ComputePass*>(entry.pass);
            if (pass && passEnabled(pass->enableMode, pass->startTime, pass->endTime, t, player.firstFrame))
                pass->execute(constantData, constantSize);
        }
        timer.mark(++index);
    }
    timer.endFrame();

    forEachResource(player, [](Resource& resource) {
        if (resource.doubleBuffered)
            resource.parity = !resource.parity;
    });
    player.firstFrame = false;
    std::free(constantData);
}

void TimedRenderer::printTimings(std::FILE* out) const
{
    if (timer.frames() == 0) {
        std::fprintf(out, "GPU: no timestamps from this driver\n");
        return;
    }
    std::fprintf(out, "GPU time per pass, mean of %u frames, in execution order:\n", timer.frames());
    for (uint32_t i = 0; i < passNames.size(); ++i)
        std::fprintf(out, "  %-12s %9.3f ms\n", passNames[i].c_str(), timer.averageMilliseconds(i));
    std::fprintf(out, "  %-12s %9.3f ms\n", "frame", timer.averageFrameMilliseconds());
}

}  // namespace Nimbra
