#include "ZdDIBConvertRows.h"

#include <cstdlib>
#include <string>

#include "Bitmap.h"
#include "PixelLimits.h"
#include "ZdDIBErrors.h"

namespace imvexa {

void RequireFormat(const TZdDIBInfo& source, int bitCount, const char* step, const char* problem) {
    if (source.Header.biBitCount != bitCount || source.Header.biCompression != kBiRgb)
        throw EZdDIBBadDIBType(std::string(step) + ": " + problem);
}

PictureRows CheckedRows(const TZdDIBInfo& source, const char* step) {
    const BitmapInfoHeader& header = source.Header;
    const PictureRows rows{header.biWidth, std::abs(std::int64_t{header.biHeight}),
                           RowStride(header.biWidth, header.biBitCount)};
    if (!WithinPixelLimits(rows.width, rows.height, rows.stride) || source.Bits == nullptr ||
        rows.stride * rows.height > source.BitsSize)
        throw EZdDIBInvalidDIB(std::string(step) + ": Invalid Width or Height");
    return rows;
}

namespace {

std::int64_t ResultStride(const PictureRows& rows, int bitCount, const char* step) {
    const std::int64_t stride = RowStride(static_cast<std::int32_t>(rows.width), bitCount);
    if (!WithinPixelLimits(rows.width, rows.height, stride))
        throw EOutOfMemory(std::string(step) + ": Picture Too Large");
    return stride;
}

}  // namespace

ConvertedPicture::ConvertedPicture(const TZdDIBInfo& source, const PictureRows& rows, int bitCount,
                                   bool useMapping, const char* step)
    : info_(source),
      stride_(ResultStride(rows, bitCount, step)),
      block_(stride_ * rows.height, useMapping) {
    info_.Header.biBitCount = static_cast<std::uint16_t>(bitCount);
    info_.Header.biCompression = kBiRgb;
    info_.Header.biSizeImage = 0;
}

TZdDIBInfo ConvertedPicture::Finish() {
    block_.HandTo(info_);
    return info_;
}

}  // namespace imvexa
