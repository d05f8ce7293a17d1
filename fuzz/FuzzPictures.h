#pragma once
// What the picture fuzz targets share: decoding through a row function into
// a bitmap, and comparing two bitmaps' pictures.
#include <algorithm>
#include <cstddef>

#include "Bitmap.h"
#include "BitmapRows.h"
#include "RuntimeErrors.h"

namespace imvexa::fuzz {

// Runs a row decoder (decode(sink)) into the bitmap; false when it fails.
template <class Decode>
bool DecodeRows(Decode&& decode, TBitmap& bitmap) {
    try {
        TBitmapRows rows(bitmap);
        decode(rows);
    } catch (const Exception&) {
        return false;
    }
    return true;
}

// Same format, size, pixel bytes and colours.
inline bool SamePicture(const TBitmap& a, const TBitmap& b) {
    if (a.PixelFormat() != b.PixelFormat() || a.Width() != b.Width() || a.Height() != b.Height()) return false;
    const auto rowBytes = static_cast<std::size_t>((std::int64_t{a.Width()} * a.BitsPerPixel() + 7) / 8);
    for (int y = 0; y < a.Height(); ++y)
        if (!std::equal(a.ScanLine(y), a.ScanLine(y) + rowBytes, b.ScanLine(y))) return false;
    const auto sameColor = [](const PaletteEntry& x, const PaletteEntry& y) {
        return x.red == y.red && x.green == y.green && x.blue == y.blue;
    };
    return std::equal(a.ColorTable().begin(), a.ColorTable().end(), b.ColorTable().begin(), b.ColorTable().end(),
                      sameColor);
}

}  // namespace imvexa::fuzz
