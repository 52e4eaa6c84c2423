#pragma once

#include <cstddef>

// Storage for the float bands the compositor makes and drops several times for every band of
// rows. Handing blocks this large back to the system and asking again makes the kernel map and
// clear their pages each time, which took a third of the time on large documents; a block let
// go is kept for the next request of its size instead. A few blocks at most are kept, so what
// is held stays a few bands.
class BandStore
{
public:
    static float *Take(std::size_t count);
    static void Give(float *block, std::size_t count) noexcept;
};

// The allocator that draws a band's floats from the store.
template <typename T> struct BandAllocator {
    static_assert(sizeof(T) == sizeof(float));
    using value_type = T;
    BandAllocator() = default;
    template <typename U> explicit BandAllocator(const BandAllocator<U> &) {}
    T *allocate(std::size_t count) { return reinterpret_cast<T *>(BandStore::Take(count)); }
    void deallocate(T *block, std::size_t count) noexcept
    {
        BandStore::Give(reinterpret_cast<float *>(block), count);
    }
    bool operator==(const BandAllocator &) const = default;
};
