#include "tools/capture/CaptureRender.h"

#include "gfx/DemoPlayer.h"

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

}  // namespace

TimedRenderer::TimedRenderer(DemoPlayer& player, ID3D11Device* device, ID3D11DeviceContext* context)
    : timer(device, context, player.passes.count)
{
    for (const PassEntry& entry : player.passes)
        passNames.push_back(passName(player, entry));
}

void TimedRenderer::passesBegin()
{
    timer.beginFrame();
    timer.mark(0);
}

void TimedRenderer::passDone(uint32_t index)
{
    timer.mark(index + 1);
}

void TimedRenderer::passesEnd()
{
    timer.endFrame();
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
