#include "BitmapRows.h"

#include <cstring>
#include <vector>

#include "RuntimeErrors.h"

namespace imvexa {

TPixelFormat PixelFormatForBits(int bitsPerPixel) {
    switch (bitsPerPixel) {
        case 1: return TPixelFormat::Bit1;
        case 4: return TPixelFormat::Bit4;
        case 8: return TPixelFormat::Bit8;
        default: return TPixelFormat::Bit24;
    }
}

void TBitmapRows::Begin(const PictureHeader& header) {
    // Emptied first, so that no old pixels are converted to the new format.
    bitmap_.SetSize(0, 0);
    bitmap_.SetPixelFormat(PixelFormatForBits(header.bitsPerPixel), header.colors);
    bitmap_.SetSize(header.width, header.height);
    order_ = header.order;
    rowBytes_ = static_cast<std::size_t>((std::int64_t{bitmap_.Width()} * bitmap_.BitsPerPixel() + 7) / 8);
    rowsStored_ = 0;
}

void TBitmapRows::Row(const std::uint8_t* pixels) {
    const int height = bitmap_.Height();
    IMVEXA_ASSERT(rowsStored_ < height, "TBitmapRows: Too Many Rows", "BitmapRows");
    const int y = order_ == TRowOrder::TopDown ? rowsStored_ : height - 1 - rowsStored_;
    std::memcpy(bitmap_.ScanLine(y), pixels, rowBytes_);
    ++rowsStored_;
}

void SendBitmapRows(const TBitmap& bitmap, TRowSink& sink) {
    const bool screenFormat = bitmap.PixelFormat() == TPixelFormat::Device;
    PictureHeader header;
    header.width = bitmap.Width();
    header.height = bitmap.Height();
    header.bitsPerPixel = screenFormat ? 24 : bitmap.BitsPerPixel();
    header.colors = bitmap.ColorTable();
    sink.Begin(header);
    if (bitmap.Empty()) return;
    std::vector<std::uint8_t> narrowed(screenFormat ? 3 * static_cast<std::size_t>(header.width) : 0);
    for (int y = 0; y < header.height; ++y) {
        const std::uint8_t* row = bitmap.ScanLine(y);
        if (screenFormat) {
            for (int x = 0; x < header.width; ++x) std::memcpy(&narrowed[3 * x], row + 4 * x, 3);
            row = narrowed.data();
        }
        sink.Row(row);
    }
}

}  // namespace imvexa
