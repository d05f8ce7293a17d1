#pragma once
// The platform bitmap at either end of a row stream: built from a decoder's
// rows, or sending its own picture as rows.
#include <cstdint>

#include "Bitmap.h"
#include "PictureRows.h"

namespace imvexa {

// The bitmap format of rows of 1, 4, 8 or 24 bits per pixel.
TPixelFormat PixelFormatForBits(int bitsPerPixel);

// Makes the bitmap the decoded picture: its size, format and colour table at
// Begin, each row stored where the header's order puts it; a decoder may
// also write the bitmap's rows directly (StoredRow).
class TBitmapRows : public TRowSink {
public:
    explicit TBitmapRows(TBitmap& bitmap) : bitmap_(bitmap) {}

    void Begin(const PictureHeader& header) override;
    void Row(const std::uint8_t* pixels) override;
    std::uint8_t* StoredRow(std::int32_t y) override { return bitmap_.ScanLine(y); }

private:
    TBitmap& bitmap_;
    TRowOrder order_ = TRowOrder::TopDown;
    std::size_t rowBytes_ = 0;
    int rowsStored_ = 0;
};

// Sends the bitmap's picture to the sink, top row first: palette pixels with
// the colour table, 24-bit pixels as they are, the screen format's 32-bit
// pixels as 24 bits.
void SendBitmapRows(const TBitmap& bitmap, TRowSink& sink);

}  // namespace imvexa
