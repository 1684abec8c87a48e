#pragma once
// A GrowArray of characters that always ends in a NUL: count includes the terminator, so the
// empty string has count 1.

#include "core/GrowArray.h"

namespace Nimbra {

struct GrowString : GrowArray<char> {
    GrowString() { push('\0'); }

    // Storage for exactly the text and its NUL, but never less than the usual 8.
    explicit GrowString(const char* text) : GrowArray<char>(storageFor(std::strlen(text)))
    {
        size_t length = std::strlen(text);
        std::memcpy(data, text, length);
        count = uint32_t(length);
        push('\0');
    }

    GrowString(const GrowString& source) : GrowArray<char>(source) { terminate(); }

    GrowString& operator=(const GrowString& source)
    {
        GrowArray<char>::operator=(source);
        terminate();
        return *this;
    }

    const char* c_str() const { return data; }
    uint32_t length() const { return count - 1; }

private:
    static uint32_t storageFor(size_t length)
    {
        return length + 1 >= defaultCapacity ? uint32_t(length + 1) : defaultCapacity;
    }

    void terminate()
    {
        if (count == 0 || data[count - 1] != '\0')
            push('\0');
    }
};

}  // namespace Nimbra
