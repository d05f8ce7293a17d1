#pragma once
// Reading MAG files: taking the file bytes apart (ReadMagFile) and decoding
// the picture into a platform bitmap (DecodeMagPicture).
#include <cstdint>
#include <memory>
#include <vector>

#include "Bitmap.h"
#include "MagTypes.h"

namespace imvexa {

// A MAG file taken apart. The palette and flag A lie inside the file; the
// flag B and pixel streams are checked as the decoder reads them.
struct MagFile {
    std::shared_ptr<const TMagData> data;
    MagProperties properties;
    int colorMode = 0;
    MagHeader header;
    // The first 0x00 byte of the file: the palette and the three stream
    // offsets count from here. In a well-formed file it is the header's start.
    std::size_t base = 0;
};

// Takes the file apart; EMagError when it is not a MAG file, its lead-in,
// comment or header is cut short, its picture is empty or too large, or its
// palette or flag A stream runs past the end.
MagFile ReadMagFile(std::vector<std::uint8_t> bytes);

// Gives the bitmap the file's picture: 4 bits per pixel for 16 colours, 8 for
// 256, the file's palette as colour table. EMagError when a stream runs past
// the end of the file or a copy reaches outside the picture.
void DecodeMagPicture(const MagFile& file, TBitmap& bitmap);

}  // namespace imvexa
