#pragma once
// Palette pictures whose colour tables lack white, for the tests of the
// thumbnail's white surroundings (natively and in the extractor).
#include <ostream>
#include <string>
#include <vector>

#include "Bitmap.h"
#include "PackedPixels.h"

namespace imvexa::test {

constexpr PaletteEntry kRed{200, 0, 0, 0};
constexpr PaletteEntry kYellow{255, 255, 0, 0};

struct PaletteCase {
    std::string name;
    TPixelFormat format;
    std::vector<PaletteEntry> colors;
    TPixelFormat thumbnailFormat;  // the thumbnail's format when the picture is drawn in its own
};

inline void PrintTo(const PaletteCase& c, std::ostream* out) { *out << c.name; }

inline std::vector<PaletteEntry> Greens(std::size_t count) {
    std::vector<PaletteEntry> colors(count);
    for (std::size_t i = 0; i < count; ++i) colors[i] = {0, static_cast<std::uint8_t>(i), 0, 0};
    return colors;
}

inline std::vector<PaletteCase> PaletteCases() {
    return {
        {"OneBitTwoColours", TPixelFormat::Bit1, {kRed, kYellow}, TPixelFormat::Bit4},
        {"OneBitOneColour", TPixelFormat::Bit1, {kYellow}, TPixelFormat::Bit1},
        {"FourBitsTwoColours", TPixelFormat::Bit4, {kRed, kYellow}, TPixelFormat::Bit4},
        {"FourBitsSixteenColours", TPixelFormat::Bit4, Greens(16), TPixelFormat::Bit8},
        {"EightBitsTwoColours", TPixelFormat::Bit8, {kRed, kYellow}, TPixelFormat::Bit8},
        {"EightBitsFullTable", TPixelFormat::Bit8, Greens(256), TPixelFormat::Bit24},
        {"EightBitsWithWhite", TPixelFormat::Bit8, {kRed, {255, 255, 255, 0}}, TPixelFormat::Bit8},
    };
}

// A picture whose left half shows the table's first colour, its right half the last.
inline void PaintTwoHalves(TBitmap& picture, const PaletteCase& c, int width, int height) {
    picture.SetPixelFormat(c.format, c.colors);
    picture.SetSize(width, height);
    const int bits = picture.BitsPerPixel();
    const auto last = static_cast<std::uint32_t>(c.colors.size() - 1);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) SetPackedIndex(picture.ScanLine(y), x, bits, x < width / 2 ? 0 : last);
}

}  // namespace imvexa::test
