#pragma once
// Small XM modules made with the project's writer: a seed corpus for the module fuzzer (each
// seed exercises a group of effects, loop modes or sample formats), busy songs for the
// benchmarks, and fixed inputs for the exact-output test of the engine.
#include <string>
#include <vector>

#include "tools/common/XmWriter.h"

namespace Nimbra {

struct SeedModule {
    std::string name;  // file name, e.g. "bench10.xm"
    XmModule module;
};

// Every seed module, in a fixed order.
std::vector<SeedModule> seedModules();

}  // namespace Nimbra
