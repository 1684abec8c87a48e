#include "tools/capture/CompatibilityReport.h"

#include <cstdio>

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

std::string adapterLines(const std::vector<AdapterFacts>& adapters)
{
    std::string lines;
    const AdapterFacts* largest = nullptr;
    const AdapterFacts* used = nullptr;
    for (size_t i = 0; i < adapters.size(); ++i) {
        const AdapterFacts& a = adapters[i];
        char ids[64];
        std::snprintf(ids, sizeof ids, "vendor 0x%04x, device 0x%04x", a.vendor, a.device);
        lines += "adapter " + std::to_string(i) + ": " + a.name + " (" + ids + "), " +
                 std::to_string(a.ownMemory >> 20) + " MiB of its own memory, " + std::to_string(a.sharedMemory >> 20) +
                 " MiB shared" + (a.used ? " <- the device" : "") + "\n";
        if (!a.software && (!largest || a.ownMemory > largest->ownMemory))
            largest = &a;
        if (a.used)
            used = &a;
    }
    if (adapters.empty())
        lines += "adapter: none listed\n";
    if (used && largest && used != largest && largest->ownMemory > used->ownMemory)
        lines += "adapter note: the device is not on adapter " + std::to_string(largest - adapters.data()) + " (" +
                 largest->name +
                 "), which has the most memory of its own; Windows picks a program's GPU in Settings, System, "
                 "Display, Graphics\n";
    return lines;
}

std::string outputLine(const OutputFacts* primary)
{
    if (!primary)
        return "output: no adapter's output holds the primary screen\n";
    const OutputFacts& o = *primary;
    return "output: " + o.name + " (the primary screen, on adapter " + std::to_string(o.adapter) + "), " +
           std::to_string(o.width) + " x " + std::to_string(o.height) + ", " +
           (o.refreshHz > 0 ? std::to_string(o.refreshHz) + " Hz" : std::string("refresh rate not reported")) + ", " +
           std::to_string(o.dpi) + " dpi" + (o.monitorDpi ? "" : ", the system's") + " (scaling " +
           std::to_string(o.dpi * 100 / 96) + " %)\n";
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
