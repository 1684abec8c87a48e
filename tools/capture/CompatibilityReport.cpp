#include "tools/capture/CompatibilityReport.h"

namespace Nimbra {

namespace {

constexpr uint32_t featureLevel11_0 = 0xb000;

}  // namespace

bool debugSeverityFails(uint32_t severity)
{
    return severity <= 1;
}

std::string featureLevelName(uint32_t level)
{
    return std::to_string(level >> 12) + "_" + std::to_string((level >> 8) & 0xf);
}

std::string driverVersionName(uint64_t version)
{
    std::string name;
    for (int shift = 48; shift >= 0; shift -= 16)
        name += std::to_string((version >> shift) & 0xffff) + (shift > 0 ? "." : "");
    return name;
}

std::string compatibilityProblems(const CompatibilityFacts& facts)
{
    std::string problems;
    auto add = [&](const std::string& problem) { problems += (problems.empty() ? "" : "; ") + problem; };
    if (!facts.device)
        add("no Direct3D 11 device");
    else if (facts.featureLevel < featureLevel11_0)
        add("feature level " + featureLevelName(facts.featureLevel) + ", below 11_0");
    if (!facts.soundDevice)
        add("no sound device");
    if (facts.debugFailures > 0)
        add(std::to_string(facts.debugFailures) + " debug layer error" + (facts.debugFailures > 1 ? "s" : ""));
    return problems;
}

std::string compatibilityLine(const CompatibilityFacts& facts)
{
    const std::string problems = compatibilityProblems(facts);
    return problems.empty() ? "compatibility: ok" : "compatibility: problem: " + problems;
}

}  // namespace Nimbra
