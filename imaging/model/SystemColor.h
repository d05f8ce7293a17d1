#pragma once
// Colour values as the GUI layer hands them around: 0x00BBGGRR, or a
// reference to one of the user's system colours (the high bit set and the
// colour's number in the low byte).
#include <cstdint>

namespace imvexa {

// The current value 0x00BBGGRR of system colour number index; 0 for an
// unknown number.
std::uint32_t SystemColor(int index);

// The plain colour 0x00BBGGRR that color stands for.
inline std::uint32_t ResolveColor(std::uint32_t color) {
    if (color & 0x80000000u) color = SystemColor(static_cast<int>(color & 0xFF));
    return color & 0xFFFFFF;
}

}  // namespace imvexa
