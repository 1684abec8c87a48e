// Writes the generated content data into a folder: `nimbra_assetgen content/assets/data`.
#include "tools/assetgen/GeneratedFiles.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    for (const auto& file : Nimbra::AssetGen::generateAllFiles()) {
        std::string path = std::string(argv[1]) + "/" + file.name;
        FILE* out = std::fopen(path.c_str(), "wb");
        if (!out || std::fwrite(file.bytes.data(), 1, file.bytes.size(), out) != file.bytes.size()) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            if (out)
                std::fclose(out);
            return 1;
        }
        std::fclose(out);
        std::printf("%-18s %8zu bytes\n", file.name.c_str(), file.bytes.size());
    }
    return 0;
}
