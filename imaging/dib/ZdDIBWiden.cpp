// Conversions that lose nothing: palette indexes moved into a wider layout,
// and palette pixels expanded to their colours.
#include "ZdDIBConvert.h"
#include "ZdDIBConvertRows.h"

namespace imvexa {

namespace {

constexpr const char* kWrongFormat = "Invalid Bitcount & Compression Combination";

template <int From, int To>
TZdDIBInfo WidenIndexes(const TZdDIBInfo& source, bool useMapping, const char* step) {
    RequireFormat(source, From, step, kWrongFormat);
    const PictureRows rows = CheckedRows(source, step);
    return ConvertRows(source, rows, To, useMapping, step,
                       [&](const std::uint8_t* in, std::uint8_t* out, std::int64_t) {
                           for (std::int64_t x = 0; x < rows.width; ++x)
                               SetPackedIndex(out, x, To, GetPackedIndex(in, x, From));
                       });
}

template <int From>
TZdDIBInfo ExpandToTrueColor(const TZdDIBInfo& source, bool useMapping, const char* step) {
    RequireFormat(source, From, step, kWrongFormat);
    const PictureRows rows = CheckedRows(source, step);
    return ConvertRows(source, rows, 24, useMapping, step,
                       [&](const std::uint8_t* in, std::uint8_t* out, std::int64_t) {
                           for (std::int64_t x = 0; x < rows.width; ++x) {
                               const RgbTriple color = PixelColor<From>(in, x, source.Colors);
                               out[3 * x] = color.rgbtBlue;
                               out[3 * x + 1] = color.rgbtGreen;
                               out[3 * x + 2] = color.rgbtRed;
                           }
                       });
}

}  // namespace

TZdDIBInfo Convert1BitRGBTo4BitRGB(const TZdDIBInfo& source, bool useMapping) {
    return WidenIndexes<1, 4>(source, useMapping, "Convert1BitRGBTo4BitRGB");
}

TZdDIBInfo Convert1BitRGBTo8BitRGB(const TZdDIBInfo& source, bool useMapping) {
    return WidenIndexes<1, 8>(source, useMapping, "Convert1BitRGBTo8BitRGB");
}

TZdDIBInfo Convert4BitRGBTo8BitRGB(const TZdDIBInfo& source, bool useMapping) {
    return WidenIndexes<4, 8>(source, useMapping, "Convert4BitRGBTo8BitRGB");
}

TZdDIBInfo Convert1BitRGBToTrueColor(const TZdDIBInfo& source, bool useMapping) {
    return ExpandToTrueColor<1>(source, useMapping, "Convert1BitRGBToTrueColor");
}

TZdDIBInfo Convert4BitRGBToTrueColor(const TZdDIBInfo& source, bool useMapping) {
    return ExpandToTrueColor<4>(source, useMapping, "Convert4BitRGBToTrueColor");
}

TZdDIBInfo Convert8BitRGBToTrueColor(const TZdDIBInfo& source, bool useMapping) {
    return ExpandToTrueColor<8>(source, useMapping, "Convert8BitRGBToTrueColor");
}

}  // namespace imvexa
