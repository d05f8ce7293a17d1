#pragma once
// Pieces of the BMP reader that the DIB image, the row decoder and the
// clipboard reader share.
#include <cstdint>

#include "BitFieldPixels.h"
#include "PixelLimits.h"
#include "Stream.h"
#include "ZdDIBTypes.h"

namespace imvexa {

// What the headers of a BMP file say: the picture's header and colour table
// in the 40-byte form (no pixel block yet), the bit-field masks, and where
// the pixel data lies.
struct BmpLayout {
    TZdDIBInfo info;
    BitFieldMasks masks{};
    // bfOffBits, counted from the file's first byte.
    std::int64_t pixelOffset = 0;
    // bfSize - bfOffBits: the size of compressed pixel data.
    std::int64_t encodedSize = 0;
};

// Reads the file header, the bitmap header (40-byte or 12-byte OS/2), the
// masks and the colour table at the stream's position, up to the colours'
// end. EZdDIBInvalidDIBFile for a stream that is not a BMP file,
// EZdDIBInvalidDIB for an unknown header size or bit count and for a pixel
// offset inside the headers; EReadError when the headers are cut short.
BmpLayout ReadBmpHeaders(TStream& stream);

// EZdDIBInvalidDIB for an empty picture and for one beyond the limits of its
// holding: the pixel limits for a whole picture, the streamed limits for rows.
void CheckPictureSize(const BitmapInfoHeader& header, TPictureHolding holding);

// The masks that 16- and 32-bit pixels are read with: the file's for bit
// fields, the default ones for plain pixels; EZdDIBInvalidDIB for any other
// compression.
BitFieldMasks MasksOfPixels(const BitmapInfoHeader& header, const BitFieldMasks& fileMasks);

// Pixel data is checked against the stream before its memory is taken, so a
// short hostile file cannot make a reader claim a large block:
// EZdDIBInvalidDIB unless the stream holds size more bytes of rows, or
// encoded data of size bytes (1 to kMaxPixelBytes).
void RequireRowBytes(TStream& stream, std::int64_t size);
void RequireEncodedBytes(TStream& stream, std::int64_t size);

// Reads |biHeight| rows of 16- or 32-bit pixels from the stream and puts
// them, scaled to 8 bits a channel, into a new 24-bit pixel block of info in
// the same row order. info's header must already have passed the size checks
// of the reader. Raises EZdDIBInvalidDIB for a zero mask or missing rows.
void ReadBitFieldPixels(TStream& stream, const BitFieldMasks& masks, TZdDIBInfo& info, bool useMapping);

// Reads the pixels that info's header describes from the stream into a new
// block of info: plain rows, 16- and 32-bit pixels (with masks for bit
// fields) as 24 bits, or encodedSize bytes of compressed data. Checks the
// picture's size first: EZdDIBInvalidDIB for an empty or too large picture
// and for data the stream does not hold.
void ReadPixelData(TStream& stream, BitFieldMasks masks, std::int64_t encodedSize, TZdDIBInfo& info,
                   bool useMapping);

}  // namespace imvexa
