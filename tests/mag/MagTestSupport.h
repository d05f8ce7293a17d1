#pragma once
// Helpers shared by the MAG tests.
#include <gtest/gtest.h>

#include <memory>

#include "../common/SamePicture.h"
#include "../core/TestSupport.h"
#include "BitmapRows.h"
#include "Mag.h"
#include "MagBuilder.h"
#include "MagRows.h"
#include "PackedPixels.h"
#include "Stream.h"

namespace imvexa::test {

inline void Load(TMAGImage& image, const Bytes& file) {
    TMemoryStream stream(file);
    image.LoadFromStream(stream);
}

inline Bytes Save(TMAGImage& image) {
    TMemoryStream stream;
    image.SaveToStream(stream);
    return stream.Bytes();
}

// Makes the bitmap the picture of the file through DecodeMAG.
inline void DecodeInto(TBitmap& bitmap, const Bytes& file) {
    TBitmapRows rows(bitmap);
    DecodeMAG(file, rows);
}

// The first count bytes of row y of the image's decoded picture.
inline Bytes Row(TMAGImage& image, int y, std::size_t count) {
    const std::uint8_t* row = image.InternalBitmap().ScanLine(y);
    return Bytes(row, row + count);
}

// A 4- or 8-bit bitmap whose pixels take `values` different indexes at
// random, and whose colour table is full and distinct.
inline std::unique_ptr<TBitmap> Picture(TPixelFormat format, int width, int height, std::uint32_t values) {
    auto picture = std::make_unique<TBitmap>();
    TBitmap& bitmap = *picture;
    bitmap.SetPixelFormat(format);
    const int bits = bitmap.BitsPerPixel();
    std::vector<PaletteEntry> colors(std::size_t{1} << bits);
    for (std::size_t i = 0; i < colors.size(); ++i)
        colors[i] = PaletteEntry{static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i),
                                 static_cast<std::uint8_t>(i * 7), 0};
    bitmap.SetColorTable(colors);
    bitmap.SetSize(width, height);
    std::uint32_t state = 2024;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            state = state * 1103515245 + 12345;
            SetPackedIndex(bitmap.ScanLine(y), x, bits, (state >> 16) % values);
        }
    }
    return picture;
}

}  // namespace imvexa::test
