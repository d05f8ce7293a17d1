#pragma once
// PNG sample conversions: from the unfiltered row of one colour type and bit
// depth to the internal bitmap's pixel format (one per type and depth). Alpha is
// dropped, 16-bit samples keep their most significant byte, truecolour
// becomes blue-green-red, 2-bit values become 4-bit values.
#include <cstdint>
#include <functional>

namespace imvexa::png {

// Converts count pixels from the unfiltered row (after its filter-type byte)
// into out. Empty when the row bytes are used as they are.
using ConvertPixels = std::function<void(const std::uint8_t* in, std::uint8_t* out, std::int64_t count)>;

struct RowFormat {
    int outputBits;   // 1, 4, 8 or 24: the internal bitmap's format (32: rows with alpha)
    int rawBits;      // bits of one pixel in the filtered data
    int bufferBits;   // the larger of the two: the width a row buffer is sized for
    ConvertPixels convert;
};

// The format for an accepted IHDR: colour type base 0 (greyscale), 2
// (truecolour) or 3 (indexed), with or without alpha, and its bit depth.
RowFormat ChooseRowFormat(int colorTypeBase, bool alpha, int bitDepth);

}  // namespace imvexa::png
