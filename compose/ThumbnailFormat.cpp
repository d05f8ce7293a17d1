#include "ThumbnailFormat.h"

#include <algorithm>

namespace imvexa {

namespace {

constexpr PaletteEntry kWhite{255, 255, 255, 0};

bool IsWhite(const PaletteEntry& color) {
    return color.red == kWhite.red && color.green == kWhite.green && color.blue == kWhite.blue;
}

}  // namespace

PixelFormatWithColors ThumbnailPixelFormat(TPixelFormat format, const std::vector<PaletteEntry>& colors) {
    if (BitsPerPixel(format) > 8) return {format, {}};
    if (std::any_of(colors.begin(), colors.end(), IsWhite)) return {format, colors};
    for (const TPixelFormat wider : {TPixelFormat::Bit1, TPixelFormat::Bit4, TPixelFormat::Bit8}) {
        const int bits = BitsPerPixel(wider);
        if (bits < BitsPerPixel(format) || colors.size() >= (std::size_t{1} << bits)) continue;
        std::vector<PaletteEntry> withWhite = colors;
        withWhite.push_back(kWhite);
        return {wider, std::move(withWhite)};
    }
    return {TPixelFormat::Bit24, {}};
}

void CreateThumbnail(TBitmap& thumbnail, int edge, PixelFormatWithColors format) {
    thumbnail.SetSize(0, 0);
    thumbnail.SetPixelFormat(format.format, std::move(format.colors));
    thumbnail.SetSize(edge, edge);
}

void TakePictureFormat(TBitmap& thumbnail, const TBitmap& picture) {
    PixelFormatWithColors chosen = ThumbnailPixelFormat(picture.PixelFormat(), picture.ColorTable());
    thumbnail.SetPixelFormat(chosen.format, std::move(chosen.colors));
}

}  // namespace imvexa
