#include "tools/capture/CaptureRender.h"

#include "gfx/DemoPlayer.h"

namespace Nimbra {

using namespace Gfx;

std::string passName(DemoPlayer& player, const PassEntry& entry)
{
    std::string name = finalCopyPassName;
    const auto named = [&](const char* kind) {
        return [&, kind](uint32_t key, const void* pass) {
            if (pass == entry.pass)
                name = kind + std::to_string(key);
        };
    };
    if (entry.kind == DrawPassKind)
        player.drawPasses.forEach(named("draw "));
    else
        player.computePasses.forEach(named("compute "));
    return name;
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
