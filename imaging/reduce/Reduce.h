#pragma once
// The quality reduction of thumbnails: box averaging over DIB images, every
// target pixel the mean colour of the source pixels that its box covers.
#include <cstdint>

#include "ZdDIB.h"

namespace imvexa {

// Converts source to 24 bits in place, then makes target a 24-bit picture of
// width × |height| pixels (a negative height gives top-down rows) and writes
// every pixel: with sx = source width / width and sy = source height /
// |height|, pixel (x, y) is AverageBox(source, x·sx, y·sy, (x+1)·sx, (y+1)·sy).
// A target larger than the source repeats and blends source pixels; source
// and target may be the same image. Raises EZdDIBInvalidDIBPara "TZdDIB.SetWidth:
// Invalid Width" for width < 1, "TZdDIB.SetWidth: Invalid Height" for height 0,
// and the exceptions of the conversion to 24 bits.
void ReduceImage(TZdDIB& source, TZdDIB& target, std::int32_t width, std::int32_t height);

// The mean colour 0x00BBGGRR of the pixels in columns Trunc(x0) to
// Ceil(x1) − 1 and rows Trunc(y0) to Ceil(y1) − 1, each read through
// source.Pixels (so coordinates outside the picture read its nearest edge
// pixel) and counted once; each channel is rounded to the nearest integer,
// halves to even. Raises ERangeError for an empty box and for coordinates that
// are not finite or lie beyond ±2^25, and the exceptions of Pixels.
std::uint32_t AverageBox(const TZdDIB& source, double x0, double y0, double x1, double y1);

}  // namespace imvexa
