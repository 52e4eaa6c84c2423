#include "worker/colour/colourcache.h"

#include <algorithm>
#include <cstring>

std::uint64_t ColourCache::KeyOf(const unsigned char *pixel, std::size_t keyBytes)
{
    std::uint64_t key = 0;
    std::memcpy(&key, pixel, keyBytes);
    return key;
}

bool ColourCache::Find(std::uint64_t key, std::uint8_t *rgb) const
{
    const Slot &slot = m_slots[SlotOf(key)];
    if (!slot.used || slot.key != key)
        return false;
    std::copy_n(slot.rgb, 3, rgb);
    return true;
}

void ColourCache::Put(std::uint64_t key, const std::uint8_t *rgb)
{
    Slot &slot = m_slots[SlotOf(key)];
    slot.key = key;
    slot.used = true;
    std::copy_n(rgb, 3, slot.rgb);
}

// Fibonacci hashing: neighbouring colours land far apart.
std::size_t ColourCache::SlotOf(std::uint64_t key)
{
    return std::size_t((key * 0x9E3779B97F4A7C15ull) >> (64 - Bits));
}
