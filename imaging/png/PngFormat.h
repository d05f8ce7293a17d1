#pragma once
// Constants of the PNG file format shared by the reader and the writer.
#include <cstdint>

namespace imvexa::png {

inline constexpr std::uint8_t kSignature[8] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};

// Chunk types as their four bytes read big-endian.
inline constexpr std::uint32_t kIHDR = 0x49484452;
inline constexpr std::uint32_t kPLTE = 0x504C5445;
inline constexpr std::uint32_t kIDAT = 0x49444154;
inline constexpr std::uint32_t kIEND = 0x49454E44;
inline constexpr std::uint32_t kTRNS = 0x74524E53;

}  // namespace imvexa::png
