// Pixel access in picture coordinates: x = 0 the left column, y = 0 the top
// row, whatever the row order in memory. Addresses are computed directly.
#include <algorithm>

#include "PackedPixels.h"
#include "ZdDIB.h"

namespace imvexa {

namespace {

bool IsPixelBitCount(int bitCount) {
    return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 24;
}

// Coordinates are clamped into the picture, never rejected.
struct PixelPlace {
    std::uint8_t* row;
    std::int64_t x;
};

PixelPlace Locate(const TZdInternalDIB& storage, int x, int y) {
    return PixelPlace{DIBRow(storage.Info, std::clamp(y, 0, storage.Height - 1)), std::clamp(x, 0, storage.Width - 1)};
}

}  // namespace

std::uint32_t TZdDIB::Pixels(int x, int y) const {
    const TZdInternalDIB& storage = *internalDIB_;
    const BitmapInfoHeader& header = storage.Info.Header;
    if (header.biCompression != kBiRgb) throw EZdDIBBadDIBType("TZdDIB.GetPixels: Bad DIB Type");
    if (!IsPixelBitCount(header.biBitCount))
        throw EZdDIBInvalidDIB("TZdDIB.GetPixels: GetPixel supports only Uncompressed DIB");

    const PixelPlace place = Locate(storage, x, y);
    if (header.biBitCount != 24) return GetPackedIndex(place.row, place.x, header.biBitCount);
    const std::uint8_t* pixel = place.row + 3 * place.x;
    return pixel[0] << 16 | pixel[1] << 8 | pixel[2];
}

void TZdDIB::SetPixels(int x, int y, std::int32_t value) {
    const BitmapInfoHeader& header = internalDIB_->Info.Header;
    if (header.biCompression != kBiRgb) throw EZdDIBBadDIBType("TZdDIB.SetPixels: Bad DIB Type");
    if (!IsPixelBitCount(header.biBitCount))
        throw EZdDIBInvalidDIB("TZdDIB.SetPixels: GetPixel supports only Uncompressed 8 or 24 bit DIB");
    // System colours (negative values) and indexes past 255 are not pixels.
    if (value < 0 && header.biBitCount == 24) throw ERangeError();
    if ((value < 0 || value > 255) && header.biBitCount == 8) throw ERangeError();

    if (internalDIB_->RefCount != 1) UniqueDIB();
    const PixelPlace place = Locate(*internalDIB_, x, y);
    const auto bits = static_cast<std::uint32_t>(value);
    const int bitCount = internalDIB_->Info.Header.biBitCount;
    if (bitCount != 24) {
        SetPackedIndex(place.row, place.x, bitCount, bits);
        return;
    }
    std::uint8_t* pixel = place.row + 3 * place.x;
    pixel[0] = static_cast<std::uint8_t>(bits >> 16);
    pixel[1] = static_cast<std::uint8_t>(bits >> 8);
    pixel[2] = static_cast<std::uint8_t>(bits);
}

}  // namespace imvexa
