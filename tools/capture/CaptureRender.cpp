#include "tools/capture/CaptureRender.h"

#include "gfx/DemoPlayer.h"

namespace Nimbra {

using namespace Gfx;

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
    return finalCopyPassName;
}

TimedRenderer::TimedRenderer(DemoPlayer& player, ID3D11Device* device, ID3D11DeviceContext* context,
                             PassObserver* follower)
    : follower(follower), timer(device, context, player.passes.count)
{
    for (const PassEntry& entry : player.passes)
        passNames.push_back(passName(player, entry));
}

void TimedRenderer::passesBegin()
{
    timer.beginFrame();
    timer.mark(0);
    if (follower)
        follower->passesBegin();
}

void TimedRenderer::passDone(uint32_t index)
{
    if (follower)
        follower->passDone(index);
    timer.mark(index + 1);
}

void TimedRenderer::passesEnd()
{
    timer.endFrame();
    if (follower)
        follower->passesEnd();
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
