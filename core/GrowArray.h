#pragma once
// A growable array of plain records. Elements are relocated bytewise when the storage grows;
// records that own storage of their own (a Curve owns its keyframes) are constructed when they
// are added by resize and destroyed when they are removed or the array goes away.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>

namespace Nimbra {

template <typename T>
struct GrowArray {
    float growth;       // 1.61 in every array; copies do not inherit another factor
    uint32_t count;     // elements in use
    uint32_t capacity;  // elements the storage holds
    T* data;            // heap storage of capacity elements

    static constexpr float defaultGrowth = 1.61f;
    static constexpr uint32_t defaultCapacity = 8;

    GrowArray() : GrowArray(defaultCapacity) {}

    explicit GrowArray(uint32_t initialCapacity)
        : growth(defaultGrowth), count(0), capacity(initialCapacity), data(allocate(initialCapacity))
    {
    }

    GrowArray(const GrowArray& source)
        : growth(defaultGrowth), count(source.count), capacity(source.capacity), data(allocate(source.capacity))
    {
        copyElements(data, source.data, source.count);
    }

    GrowArray& operator=(const GrowArray& source)
    {
        // Copy first, then swap: assigning an array to itself stays safe, and the
        // temporary takes the old storage with it.
        GrowArray temporary(source);
        swapContents(temporary);
        return *this;
    }

    ~GrowArray() { release(); }

    // Destroys every element and frees the storage, leaving an empty array of capacity 0 that
    // can still be pushed to or destroyed again.
    void release()
    {
        destroyElements(0, count);
        std::free(data);
        data = nullptr;
        count = 0;
        capacity = 0;
    }

    void push(const T& element)
    {
        if (count >= capacity) {
            // The element may live in the old storage: copy it before releasing that.
            T* old = reallocate(grownCapacity(capacity + 1u));
            copyElements(data + count, &element, 1);
            std::free(old);
        } else {
            copyElements(data + count, &element, 1);
        }
        ++count;
    }

    void resize(uint32_t n)
    {
        if (n > count) {
            if (n > capacity)
                std::free(reallocate(grownCapacity(n)));
            for (uint32_t i = count; i < n; ++i) {
                std::memset(static_cast<void*>(data + i), 0, sizeof(T));
                new (data + i) T();
            }
        } else {
            destroyElements(n, count);
        }
        count = n;
    }

    T* at(uint32_t i) { return data + i; }
    const T* at(uint32_t i) const { return data + i; }
    T& operator[](uint32_t i) { return data[i]; }
    const T& operator[](uint32_t i) const { return data[i]; }

    T* begin() { return data; }
    T* end() { return data + count; }
    const T* begin() const { return data; }
    const T* end() const { return data + count; }

    void swapContents(GrowArray& other)
    {
        uint32_t c = count;
        count = other.count;
        other.count = c;
        uint32_t k = capacity;
        capacity = other.capacity;
        other.capacity = k;
        T* d = data;
        data = other.data;
        other.data = d;
    }

private:
    static T* allocate(uint32_t elements)
    {
        if (elements == 0)
            return nullptr;
        return static_cast<T*>(std::malloc(sizeof(T) * size_t(elements)));
    }

    // capacity x growth + 1, truncated, in single precision; never less than `needed`
    // (large counts lose precision as floats, and the product must not overflow uint32).
    uint32_t grownCapacity(uint32_t needed) const
    {
        float grown = float(capacity) * growth + 1.0f;
        float wanted = float(needed);
        if (wanted > grown)
            grown = wanted;
        uint32_t result = grown >= 4294967040.0f ? 0xFFFFFFFFu : uint32_t(grown);
        return result < needed ? needed : result;
    }

    // Moves the elements into fresh storage and returns the old storage for the caller to free.
    T* reallocate(uint32_t newCapacity)
    {
        T* fresh = allocate(newCapacity);
        if (count > 0)
            std::memcpy(static_cast<void*>(fresh), static_cast<const void*>(data), sizeof(T) * size_t(count));
        T* old = data;
        data = fresh;
        capacity = newCapacity;
        return old;
    }

    // Plain records are copied bytewise; a record that owns storage is copied by its own copy
    // constructor so that two arrays never share (and later free twice) the same storage.
    static void copyElements(T* target, const T* source, uint32_t n)
    {
        if (n == 0)
            return;
        if constexpr (std::is_trivially_copyable<T>::value) {
            std::memcpy(static_cast<void*>(target), static_cast<const void*>(source), sizeof(T) * size_t(n));
        } else {
            for (uint32_t i = 0; i < n; ++i)
                new (target + i) T(source[i]);
        }
    }

    void destroyElements(uint32_t from, uint32_t to)
    {
        if constexpr (std::is_trivially_destructible<T>::value)
            return;
        for (uint32_t i = from; i < to; ++i)
            data[i].~T();
    }
};

}  // namespace Nimbra
