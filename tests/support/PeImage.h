#pragma once
// A bounded reader of a 64-bit Windows executable (PE32+) held in memory: its sections, one
// resource by type and id, the address of an export by name and the DLLs it imports. Every read is checked against
// the bytes given; a malformed or truncated image gives false, never a read past the end.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Nimbra {

struct PeSection {
    uint32_t virtualAddress = 0;
    uint32_t virtualSize = 0;
    uint32_t rawOffset = 0;
    uint32_t rawSize = 0;
};

struct PeImage {
    const uint8_t* bytes = nullptr;
    size_t size = 0;
    std::vector<PeSection> sections;
    uint32_t exportRva = 0, exportSize = 0;      // data directory 0
    uint32_t importRva = 0, importSize = 0;      // data directory 1
    uint32_t resourceRva = 0, resourceSize = 0;  // data directory 2
};

// Reads the headers of `size` bytes at `bytes`; the image borrows them.
bool openPeImage(const uint8_t* bytes, size_t size, PeImage& image);

// The `length` bytes at relative virtual address `rva`, when all of them are stored in the file.
const uint8_t* peBytesAt(const PeImage& image, uint32_t rva, size_t length);

// The data of the resource of numeric `type` and `id` (its first language).
bool findPeResource(const PeImage& image, uint32_t type, uint32_t id, std::string& data);

// The address of the export named `name`.
bool findPeExport(const PeImage& image, const char* name, uint32_t& rva);

// The names of the DLLs the import table names, in its order, as they are spelt there.
bool listPeImports(const PeImage& image, std::vector<std::string>& dlls);

}  // namespace Nimbra
