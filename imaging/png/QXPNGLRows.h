#pragma once
// PNG rows: undoing the five row filters, the Adam7 passes and the placement
// of a pass row's pixels into a picture row.
#include <cstddef>
#include <cstdint>

namespace imvexa::png {

// Undoes the filter of one row in place. row[0] is the filter type and
// row[1 .. length] the filtered bytes; prior has the same layout (the
// previous row, already unfiltered, or zeros). distance is the number of
// bytes of one pixel, at least 1. Returns false for a filter type above 4
// (the row is left unchanged).
bool UnfilterRow(std::uint8_t* row, const std::uint8_t* prior, std::size_t length, int distance);

// One pass of the Adam7 interlace: the columns first, first + step, ... of
// the image rows y with y mod rowStep = firstRow (the reader's row rules,
// which also drop a pass whose columns or rows lie outside the image).
struct Adam7Pass {
    int firstColumn;
    int columnStep;
    int firstRow;
    int rowStep;
};
inline constexpr Adam7Pass kAdam7[7] = {
    {0, 8, 0, 8}, {4, 8, 0, 8}, {0, 4, 4, 8}, {2, 4, 0, 4}, {0, 2, 2, 4}, {1, 2, 0, 2}, {0, 1, 1, 2},
};

// Whether image row y belongs to the pass in an image of width × height.
bool RowInPass(int pass, std::int64_t y, std::int64_t width, std::int64_t height);
// The number of the pass's columns below width (0 when there are none).
std::int64_t PassWidth(int pass, std::int64_t width);

// Puts the count pixels of a converted pass row (packed at the output bits
// per pixel, leftmost first) into columns first, first + step, ... of a
// picture row of the same format. Pixels of 1 and 4 bits replace only their
// own bits.
using PlacePixels = void (*)(std::uint8_t* target, const std::uint8_t* pixels, std::int64_t count,
                             std::int64_t first, std::int64_t step);
// The placement routine for 1, 4, 8, 24 or 32 output bits per pixel.
PlacePixels PlacementFor(int outputBits);

}  // namespace imvexa::png
