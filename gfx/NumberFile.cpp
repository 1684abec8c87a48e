#include "gfx/NumberFile.h"

#include "gfx/ElementType.h"

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace Nimbra {
namespace Gfx {

namespace {

bool isSeparator(char c)
{
    return c == ' ' || c == ',' || c == '\n';
}

// Reads the leading number as atoi does, but saturates instead of overflowing.
int32_t toInt32(const char* token)
{
    const long long value = std::strtoll(token, nullptr, 10);
    if (value > INT32_MAX)
        return INT32_MAX;
    if (value < INT32_MIN)
        return INT32_MIN;
    return static_cast<int32_t>(value);
}

// Reads the leading number as atof does; a finite value beyond float's range saturates
// (narrowing it directly would be undefined).
float toFloat32(const char* token)
{
    const double value = std::strtod(token, nullptr);
    if (std::isfinite(value)) {
        if (value > FLT_MAX)
            return FLT_MAX;
        if (value < -FLT_MAX)
            return -FLT_MAX;
    }
    return static_cast<float>(value);
}

void storeElement(void* data, int32_t elementType, uint32_t index, const char* token)
{
    switch (elementType) {
    case Int32: {
        const int32_t value = toInt32(token);
        std::memcpy(static_cast<char*>(data) + 4 * index, &value, 4);
        break;
    }
    case Float32: {
        const float value = toFloat32(token);
        std::memcpy(static_cast<char*>(data) + 4 * index, &value, 4);
        break;
    }
    case UInt8: static_cast<uint8_t*>(data)[index] = static_cast<uint8_t>(toInt32(token) & 0xFF); break;
    default: break;
    }
}

}  // namespace

uint32_t countNumberTokens(const char* text)
{
    uint32_t count = 0;
    const char* c = text;
    while (*c != '\0') {
        while (*c != '\0' && isSeparator(*c))
            ++c;
        if (*c == '\0')
            break;
        ++count;
        while (*c != '\0' && !isSeparator(*c))
            ++c;
    }
    return count;
}

void parseNumbers(char* text, int32_t elementType, void*& data, uint32_t& count)
{
    count = countNumberTokens(text);
    const size_t bytes = static_cast<size_t>(count) * elementSize(elementType);
    // Rounded up to 16 bytes and zero-filled: a buffer's width rounds up the same way and
    // Direct3D copies the whole width. Never a zero-byte request, so an empty file still gives a
    // block of its own.
    data = std::calloc(bytes > 0 ? (bytes + 15) / 16 * 16 : 1, 1);
    if (elementSize(elementType) == 0)
        return;

    uint32_t index = 0;
    char* c = text;
    while (*c != '\0') {
        while (*c != '\0' && isSeparator(*c))
            ++c;
        if (*c == '\0')
            break;
        char* token = c;
        while (*c != '\0' && !isSeparator(*c))
            ++c;
        // Terminate the token in place for the conversion, then put the separator back.
        const char separator = *c;
        *c = '\0';
        storeElement(data, elementType, index++, token);
        *c = separator;
    }
}

bool loadNumberFile(const char* path, int32_t elementType, void*& data, uint32_t& count)
{
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr)
        return false;
    long length = -1;
    if (std::fseek(file, 0, SEEK_END) == 0)
        length = std::ftell(file);
    if (length < 0 || std::fseek(file, 0, SEEK_SET) != 0) {
        std::fclose(file);
        return false;
    }
    char* text = static_cast<char*>(std::malloc(static_cast<size_t>(length) + 1));
    if (text == nullptr) {
        std::fclose(file);
        return false;
    }
    const size_t read = std::fread(text, 1, static_cast<size_t>(length), file);
    std::fclose(file);
    text[read] = '\0';

    parseNumbers(text, elementType, data, count);
    std::free(text);
    return true;
}

}  // namespace Gfx
}  // namespace Nimbra
