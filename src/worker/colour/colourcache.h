#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// A look-up table of 8-bit sRGB results by the raw bytes of a pixel, for pixels of up to eight
// bytes; each slot keeps the last colour that fell into it.
class ColourCache
{
public:
    static bool Fits(std::size_t keyBytes) { return keyBytes <= sizeof(std::uint64_t); }
    ColourCache() : m_slots(std::size_t(1) << Bits) {}

    static std::uint64_t KeyOf(const unsigned char *pixel, std::size_t keyBytes);
    bool Find(std::uint64_t key, std::uint8_t *rgb) const;
    void Put(std::uint64_t key, const std::uint8_t *rgb);

private:
    static constexpr int Bits = 16;
    struct Slot {
        std::uint64_t key = 0;
        std::uint8_t rgb[3] = {};
        bool used = false;
    };
    static std::size_t SlotOf(std::uint64_t key);
    std::vector<Slot> m_slots;
};
