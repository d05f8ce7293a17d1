#pragma once
// The PNG reader and writer behind QXPNGLE (QXPNGLRead.cpp, QXPNGLWrite.cpp).
#include <memory>

#include "Bitmap.h"
#include "Stream.h"

namespace imvexa::png {

// Reads one PNG image from the stream's position. The bitmap slot is filled
// (created when null, re-sized and re-formatted otherwise) when the first
// row is decoded; a file that fails before it, or whose IEND comes before
// any IDAT, leaves it untouched.
void ReadPng(TStream& stream, std::unique_ptr<TBitmap>& bitmap);

// Writes the bitmap as a PNG file: indexed for 1, 4 and 8 bits per pixel,
// truecolour for every other format, filter None, not interlaced; a bitmap
// without pixels gets no IDAT chunk.
void WritePng(const TBitmap& bitmap, TStream& stream);

}  // namespace imvexa::png
