// Black and white against a key colour: the pixels of exactly the key colour
// become white, all others black.
#include <array>

#include "ZdDIBConvert.h"
#include "ZdDIBConvertRows.h"
#include "ZdDIBHalftonePalette.h"

namespace imvexa {

namespace {

bool IsKey(const RgbTriple& color, std::uint32_t key) {
    return color.rgbtRed == (key & 0xFF) && color.rgbtGreen == (key >> 8 & 0xFF) && color.rgbtBlue == (key >> 16 & 0xFF);
}

template <int From>
TZdDIBInfo ConvertToKeyedBlackWhite(const TZdDIBInfo& source, bool useMapping, std::uint32_t key, const char* step,
                                    const char* wrongFormat) {
    RequireFormat(source, From, step, wrongFormat);
    const PictureRows rows = CheckedRows(source, step);
    // Palette pixels are matched once per colour-table entry.
    std::array<bool, kMaxColors> keyIndexes{};
    if constexpr (From != 24)
        for (int i = 0; i < kMaxColors; ++i)
            keyIndexes[i] = IsKey(ToTriple(source.Colors[i]), key);

    TZdDIBInfo result = ConvertRows(source, rows, 1, useMapping, step,
                                    [&](const std::uint8_t* in, std::uint8_t* out, std::int64_t) {
                                        for (std::int64_t x = 0; x < rows.width; ++x) {
                                            bool white;
                                            if constexpr (From == 24)
                                                white = IsKey(PixelColor<24>(in, x, nullptr), key);
                                            else
                                                white = keyIndexes[GetPackedIndex(in, x, From)];
                                            if (white) out[x / 8] |= static_cast<std::uint8_t>(0x80 >> x % 8);
                                        }
                                    });
    SetColorTable(result, kBlackWhiteColors);
    return result;
}

}  // namespace

TZdDIBInfo ConvertTrueColorTo1BitRGB(const TZdDIBInfo& source, bool useMapping, std::uint32_t keyColor) {
    return ConvertToKeyedBlackWhite<24>(source, useMapping, keyColor, "ConvertTrueColorTo1BitRGB", "Invalid Bitcount");
}

TZdDIBInfo Convert8BitTo1BitRGB(const TZdDIBInfo& source, bool useMapping, std::uint32_t keyColor) {
    return ConvertToKeyedBlackWhite<8>(source, useMapping, keyColor, "Convert8BitTo1BitRGB",
                                       "Invalid Bitcount or Compression");
}

TZdDIBInfo Convert4BitRGBTo1BitRGB(const TZdDIBInfo& source, bool useMapping, std::uint32_t keyColor) {
    return ConvertToKeyedBlackWhite<4>(source, useMapping, keyColor, "Convert4BitRGBTo1BitRGB", "Invalid Bitcount");
}

}  // namespace imvexa
