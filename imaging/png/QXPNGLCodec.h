#pragma once
// The PNG reader and writer behind QXPNGLE (QXPNGLRead.cpp, QXPNGLWrite.cpp).
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

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

// A picture for WritePngImage: its IHDR fields and PLTE entries (none when
// empty); row(y, bytes) fills row y in the file's sample order (without the
// filter byte).
struct PngImage {
    std::uint32_t width = 0, height = 0;
    int bitDepth = 8;
    int colorType = 2;
    std::vector<PaletteEntry> palette;
    std::function<void(std::int32_t y, std::uint8_t* bytes)> row;
};

// Writes the picture as a PNG file: filter None, not interlaced; a picture
// without pixels gets no IDAT chunk.
void WritePngImage(const PngImage& image, TStream& stream);

}  // namespace imvexa::png
