// xmseeds DIR: writes the seed modules (tools/xmseeds/Seeds.h) into DIR: the fuzz corpus and
// the benchmark songs.
#include <cstdio>
#include <string>
#include <vector>

#include "tools/xmseeds/Seeds.h"

using namespace Nimbra;

namespace {

bool save(const std::string& dir, const std::string& name, const XmModule& m)
{
    std::vector<uint8_t> bytes = writeXm(m);
    std::string path = dir + "/" + name;
    FILE* f = fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: xmseeds DIR\n");
        return 2;
    }
    std::string dir = argv[1];
    for (const SeedModule& seed : seedModules()) {
        if (!save(dir, seed.name, seed.module)) {
            fprintf(stderr, "xmseeds: cannot write into %s\n", dir.c_str());
            return 1;
        }
    }
    return 0;
}
