// Pixel transfer between DIB images and platform bitmaps as plain row copies.
#include <algorithm>
#include <cstring>

#include "ZdDIBPlatform.h"
#include "ZdDIBRle.h"
#include "ZdInternalDIB.h"

namespace imvexa {

void ReadBitmapPixels(const TBitmap& bitmap, TZdDIBInfo& info) {
    const bool device = bitmap.PixelFormat() == TPixelFormat::Device;
    const auto rowBytes = static_cast<std::size_t>(std::min(bitmap.Stride(), DIBStride(info.Header)));
    for (int y = 0; y < bitmap.Height(); ++y) {
        const std::uint8_t* source = bitmap.ScanLine(y);
        std::uint8_t* target = DIBRow(info, y);
        if (!device) {
            std::memcpy(target, source, rowBytes);
            continue;
        }
        // Blue, green, red, unused -> blue, green, red.
        for (int x = 0; x < bitmap.Width(); ++x) std::memcpy(target + 3 * x, source + 4 * x, 3);
    }
    const std::vector<PaletteEntry>& colors = bitmap.ColorTable();
    for (std::size_t i = 0; i < colors.size() && i < kMaxColors; ++i)
        info.Colors[i] = RgbQuad{colors[i].blue, colors[i].green, colors[i].red, 0};
}

void DrawPixelsIntoBitmap(const TZdDIBInfo& info, TBitmap& bitmap) {
    // RLE data is expanded into a temporary heap block first.
    TZdInternalDIB expanded(false);
    const TZdDIBInfo* rows = &info;
    if (info.Header.biCompression == kBiRle8 || info.Header.biCompression == kBiRle4) {
        expanded.Install(info.Header.biCompression == kBiRle8 ? Convert8BitRLETo8BitRGB(info, false)
                                                              : Convert4BitRLETo4BitRGB(info, false));
        rows = &expanded.Info;
    }
    const auto rowBytes = static_cast<std::size_t>(std::min(bitmap.Stride(), DIBStride(rows->Header)));
    for (int y = 0; y < bitmap.Height(); ++y) std::memcpy(bitmap.ScanLine(y), DIBRow(*rows, y), rowBytes);
}

PaletteHandle HalftonePalette(int) {
    return nullptr;
}

}  // namespace imvexa
