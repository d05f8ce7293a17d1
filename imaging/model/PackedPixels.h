#pragma once
// Colour-table indexes packed at 1, 4 or 8 bits per pixel, the leftmost pixel
// of a byte in its highest bits.
#include <cstdint>

namespace imvexa {

inline std::uint32_t GetPackedIndex(const std::uint8_t* row, std::int64_t x, int bitsPerPixel) {
    switch (bitsPerPixel) {
        case 8: return row[x];
        case 4: return x % 2 == 0 ? row[x / 2] >> 4 : row[x / 2] & 0x0F;
        default: return (row[x / 8] >> (7 - x % 8)) & 1;
    }
}

// Stores the index's low bits (4 bits: the low nibble; 1 bit: whether it is non-zero).
inline void SetPackedIndex(std::uint8_t* row, std::int64_t x, int bitsPerPixel, std::uint32_t index) {
    switch (bitsPerPixel) {
        case 8: row[x] = static_cast<std::uint8_t>(index); break;
        case 4: {
            std::uint8_t& byte = row[x / 2];
            byte = x % 2 == 0 ? static_cast<std::uint8_t>((byte & 0x0F) | (index & 0x0F) << 4)
                              : static_cast<std::uint8_t>((byte & 0xF0) | (index & 0x0F));
            break;
        }
        default: {
            const auto mask = static_cast<std::uint8_t>(0x80 >> x % 8);
            std::uint8_t& byte = row[x / 8];
            byte = static_cast<std::uint8_t>(index != 0 ? byte | mask : byte & ~mask);
            break;
        }
    }
}

}  // namespace imvexa
