#include "tests/support/PeImage.h"

#include <algorithm>
#include <cstring>

namespace Nimbra {

namespace {

bool fits(size_t size, size_t offset, size_t length)
{
    return offset <= size && length <= size - offset;
}

bool read16(const uint8_t* bytes, size_t size, size_t offset, uint32_t& value)
{
    if (!fits(size, offset, 2))
        return false;
    value = uint32_t(bytes[offset]) | uint32_t(bytes[offset + 1]) << 8;
    return true;
}

bool read32(const uint8_t* bytes, size_t size, size_t offset, uint32_t& value)
{
    if (!fits(size, offset, 4))
        return false;
    value = uint32_t(bytes[offset]) | uint32_t(bytes[offset + 1]) << 8 | uint32_t(bytes[offset + 2]) << 16 |
            uint32_t(bytes[offset + 3]) << 24;
    return true;
}

bool rva32(const PeImage& image, uint32_t rva, uint32_t& value)
{
    const uint8_t* at = peBytesAt(image, rva, 4);
    return at != nullptr && read32(at, 4, 0, value);
}

constexpr uint32_t pe32PlusMagic = 0x20B;
constexpr size_t sectionHeaderSize = 40;
constexpr uint32_t highBit = 0x80000000u;
constexpr size_t importDescriptorSize = 20;
constexpr size_t dllNameLimit = 260;    // MAX_PATH
constexpr uint32_t importLimit = 4096;  // DLLs: far more than any program here names

// The entry of `id` in the resource directory at `offset` (from the section's start).
bool resourceEntry(const uint8_t* tree, size_t size, size_t offset, uint32_t id, uint32_t& target)
{
    uint32_t named = 0, ids = 0;
    if (!read16(tree, size, offset + 12, named) || !read16(tree, size, offset + 14, ids))
        return false;
    for (uint32_t i = 0; i < named + ids; ++i) {
        uint32_t name = 0;
        const size_t entry = offset + 16 + size_t(i) * 8;
        if (!read32(tree, size, entry, name) || !read32(tree, size, entry + 4, target))
            return false;
        if (name == id)
            return true;
    }
    return false;
}

}  // namespace

bool openPeImage(const uint8_t* bytes, size_t size, PeImage& image)
{
    image = PeImage();
    image.bytes = bytes;
    image.size = size;
    uint32_t mz = 0, lfanew = 0, signature = 0;
    if (!read16(bytes, size, 0, mz) || mz != 0x5A4D || !read32(bytes, size, 0x3C, lfanew) ||
        !read32(bytes, size, lfanew, signature) || signature != 0x4550)
        return false;
    const size_t coff = size_t(lfanew) + 4;
    const size_t optional = coff + 20;
    uint32_t sectionCount = 0, optionalSize = 0, magic = 0, directoryCount = 0;
    if (!read16(bytes, size, coff + 2, sectionCount) || !read16(bytes, size, coff + 16, optionalSize) ||
        !read16(bytes, size, optional, magic) || magic != pe32PlusMagic ||
        !read32(bytes, size, optional + 108, directoryCount) || directoryCount < 3 ||
        !read32(bytes, size, optional + 112, image.exportRva) ||
        !read32(bytes, size, optional + 116, image.exportSize) ||
        !read32(bytes, size, optional + 120, image.importRva) ||
        !read32(bytes, size, optional + 124, image.importSize) ||
        !read32(bytes, size, optional + 128, image.resourceRva) ||
        !read32(bytes, size, optional + 132, image.resourceSize))
        return false;
    const size_t table = optional + optionalSize;
    for (uint32_t i = 0; i < sectionCount; ++i) {
        PeSection s;
        const size_t header = table + size_t(i) * sectionHeaderSize;
        if (!read32(bytes, size, header + 8, s.virtualSize) || !read32(bytes, size, header + 12, s.virtualAddress) ||
            !read32(bytes, size, header + 16, s.rawSize) || !read32(bytes, size, header + 20, s.rawOffset))
            return false;
        image.sections.push_back(s);
    }
    return true;
}

const uint8_t* peBytesAt(const PeImage& image, uint32_t rva, size_t length)
{
    for (const PeSection& s : image.sections) {
        if (rva < s.virtualAddress)
            continue;
        const size_t into = rva - s.virtualAddress;
        // Only what the section stores in the file: bytes beyond rawSize are zero-filled memory.
        const size_t stored = s.virtualSize < s.rawSize ? s.virtualSize : s.rawSize;
        if (!fits(stored, into, length) || !fits(image.size, s.rawOffset, stored))
            continue;
        return image.bytes + s.rawOffset + into;
    }
    return nullptr;
}

bool findPeResource(const PeImage& image, uint32_t type, uint32_t id, std::string& data)
{
    const uint8_t* tree = peBytesAt(image, image.resourceRva, image.resourceSize);
    const size_t size = image.resourceSize;
    uint32_t names = 0, languages = 0, leaf = 0;
    // Three levels: type, id, language; the first two lead to directories, the third to data.
    if (tree == nullptr || !resourceEntry(tree, size, 0, type, names) || !(names & highBit) ||
        !resourceEntry(tree, size, names & ~highBit, id, languages) || !(languages & highBit))
        return false;
    uint32_t languageCount = 0;
    const size_t languageDirectory = languages & ~highBit;
    if (!read16(tree, size, languageDirectory + 14, languageCount) || languageCount == 0 ||
        !read32(tree, size, languageDirectory + 16 + 4, leaf) || (leaf & highBit))
        return false;
    uint32_t dataRva = 0, dataSize = 0;
    if (!read32(tree, size, leaf, dataRva) || !read32(tree, size, leaf + 4, dataSize))
        return false;
    const uint8_t* bytes = peBytesAt(image, dataRva, dataSize);
    if (bytes == nullptr)
        return false;
    data.assign(reinterpret_cast<const char*>(bytes), dataSize);
    return true;
}

bool findPeExport(const PeImage& image, const char* name, uint32_t& rva)
{
    uint32_t functionCount = 0, nameCount = 0, functions = 0, names = 0, ordinals = 0;
    const uint32_t directory = image.exportRva;
    if (image.exportSize == 0 || !rva32(image, directory + 20, functionCount) ||
        !rva32(image, directory + 24, nameCount) || !rva32(image, directory + 28, functions) ||
        !rva32(image, directory + 32, names) || !rva32(image, directory + 36, ordinals))
        return false;
    const size_t nameLength = std::strlen(name);
    for (uint32_t i = 0; i < nameCount; ++i) {
        uint32_t nameRva = 0;
        if (!rva32(image, names + 4 * i, nameRva))
            return false;
        // The name and its terminating NUL.
        const uint8_t* text = peBytesAt(image, nameRva, nameLength + 1);
        if (text == nullptr || std::memcmp(text, name, nameLength + 1) != 0)
            continue;
        const uint8_t* ordinal = peBytesAt(image, ordinals + 2 * i, 2);
        uint32_t index = 0;
        if (ordinal == nullptr || !read16(ordinal, 2, 0, index) || index >= functionCount)
            return false;
        return rva32(image, functions + 4 * index, rva);
    }
    return false;
}

bool listPeImports(const PeImage& image, std::vector<std::string>& dlls)
{
    dlls.clear();
    if (image.importSize == 0)
        return true;
    // Descriptors of 20 bytes, the name's address at 12, up to one of all zeros.
    for (uint32_t i = 0; i < importLimit; ++i) {
        const uint8_t* entry =
            peBytesAt(image, image.importRva + i * uint32_t(importDescriptorSize), importDescriptorSize);
        if (entry == nullptr)
            return false;
        uint32_t nameRva = 0;
        read32(entry, importDescriptorSize, 12, nameRva);
        if (nameRva == 0)
            return std::all_of(entry, entry + importDescriptorSize, [](uint8_t b) { return b == 0; });
        std::string name;
        for (const uint8_t* c = peBytesAt(image, nameRva, 1); c != nullptr && *c != 0;
             c = peBytesAt(image, nameRva + uint32_t(name.size()), 1)) {
            if (name.size() == dllNameLimit)
                return false;
            name.push_back(char(*c));
        }
        if (peBytesAt(image, nameRva + uint32_t(name.size()), 1) == nullptr || name.empty())
            return false;
        dlls.push_back(name);
    }
    return false;
}

}  // namespace Nimbra
