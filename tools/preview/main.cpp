// Renders the content's frame at a given time into PNG files and prints what each pass costs.
//
//   nimbra_preview OUT SECONDS [--size WxH] [--frames N] [--all] [NAME=VALUE ...]
//
// The variables come from the shipped curves at SECONDS; NAME=VALUE replaces one of them.
// N frames are rendered at 60 per second up to SECONDS (the rotation state advances); the
// last one is written to OUT.png, and with --all every intermediate target to OUT_<key>.png.
// Timings are the averages of the frames after the first.
#include "tools/preview/FrameConstants.h"
#include "tools/preview/PreviewRenderer.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

using namespace Nimbra::Preview;

namespace {

int usage()
{
    std::fprintf(stderr, "usage: nimbra_preview OUT SECONDS [--size WxH] [--frames N] [--all] [NAME=VALUE ...]\n");
    return 2;
}

int run(int argc, char** argv)
{
    if (argc < 3)
        return usage();
    std::string out = argv[1];
    float seconds = float(std::atof(argv[2]));
    int width = 480, height = 270, frames = 1;
    bool all = false;
    std::vector<std::pair<std::string, float>> overrides;
    for (int i = 3; i < argc; ++i)
    {
        std::string a = argv[i];
        if (a == "--size" && i + 1 < argc)
        {
            if (std::sscanf(argv[++i], "%dx%d", &width, &height) != 2 || width <= 0 || height <= 0)
                return usage();
        }
        else if (a == "--frames" && i + 1 < argc)
            frames = std::max(1, std::atoi(argv[++i]));
        else if (a == "--all")
            all = true;
        else if (a.find('=') != std::string::npos)
        {
            std::string name = a.substr(0, a.find('='));
            if (FrameBuilder::variableIndex(name) < 0)
            {
                std::fprintf(stderr, "unknown variable %s\n", name.c_str());
                return 2;
            }
            overrides.push_back({name, float(std::atof(a.c_str() + a.find('=') + 1))});
        }
        else
            return usage();
    }

    PreviewRenderer renderer(width, height);
    if (!renderer.ready())
    {
        std::fprintf(stderr, "no Direct3D 11 device\n");
        return 1;
    }
    FrameBuilder builder(width, height);
    builder.setOverrides(overrides);
    const float step = 1.0f / 60.0f;
    for (int f = 0; f < frames; ++f)
    {
        float t = seconds - (frames - 1 - f) * step;
        if (t < 0.0f)
            t = 0.0f;
        renderer.renderFrame(builder.build(t, uint32_t(f), f == 0 ? t : step));
        if (f == 0 && frames > 1)
            renderer.resetTimings();
    }

    auto save = [&](int key, const std::string& path) {
        auto pixels = renderer.readTexture(key);
        if (!stbi_write_png(path.c_str(), width, height, 4, pixels.data(), width * 4))
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
    };
    save(18, out + ".png");
    if (all)
        for (int key : {0, 1, 2, 7, 9, 13, 19})
            save(key, out + "_" + std::to_string(key) + ".png");

    int timed = frames > 1 ? frames - 1 : 1;
    double total = 0.0;
    for (const PassTiming& t : renderer.timings())
        total += t.milliseconds / timed;
    std::printf("%dx%d at %.2f s, %d frame(s) timed\n", width, height, seconds, timed);
    for (const PassTiming& t : renderer.timings())
        std::printf("  %-13s %9.3f ms  %5.1f %%\n", t.name, t.milliseconds / timed,
                    total > 0.0 ? 100.0 * t.milliseconds / timed / total : 0.0);
    std::printf("  %-13s %9.3f ms\n", "total", total);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    int status = run(argc, argv);
    std::fflush(stdout);
    ExitProcess(UINT(status));
}
