#pragma once
// BMP files as rows: the picture of a BMP file handed to a row sink exactly
// as a platform bitmap loaded from the same file holds it.
#include <cstdint>
#include <span>

#include "PictureRows.h"

namespace imvexa {

// Reads the headers of the BMP file in bytes, announces its picture and sends
// its rows in the file's order (a bottom-up file bottom row first): 1-, 4-
// and 8-bit pixels with their colour table, 24-bit pixels as they are (with
// the file's colours as palette), 16- and 32-bit pixels as 24 bits. Plain rows
// are sent from bytes where they lie and bounded by the streamed limits;
// RLE4 and RLE8 data is expanded whole at its own depth first. Every failure
// is the one loading the file into a platform bitmap raises, except that a
// streamed picture may be larger than a bitmap can hold.
void DecodeBMP(std::span<const std::uint8_t> bytes, TRowSink& sink);

// Whether the BMP file's pixels are run-length coded (RLE4, RLE8, or another
// coding of palette or 24-bit pixels); false also when its headers cannot be
// read.
bool HasEncodedPixels(std::span<const std::uint8_t> bytes);

}  // namespace imvexa
