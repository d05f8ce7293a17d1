#pragma once
// Helpers shared by the PNG tests: loading from bytes, reading a decoded
// pixel back as an index or a colour, and the colour a PNG pixel must
// become.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "../common/ExpectError.h"
#include "../common/PngBuilder.h"
#include "Bitmap.h"
#include "PackedPixels.h"
#include "QXPNGL.h"
#include "Stream.h"

namespace imvexa::test::png {

// A file assembled from chunks (after the signature).
inline Bytes File(const std::vector<Bytes>& chunks) {
    Bytes out = Signature();
    for (const Bytes& c : chunks) out.insert(out.end(), c.begin(), c.end());
    return out;
}

// An IHDR chunk.
inline Bytes Header(std::uint32_t width, std::uint32_t height, int depth, int colorType, int compression = 0,
                    int filter = 0, int interlace = 0) {
    return Chunk("IHDR", IhdrData(width, height, depth, colorType, compression, filter, interlace));
}

inline void Load(QXPNGLE& png, const Bytes& file) {
    TMemoryStream stream(file);
    png.LoadFromStream(stream);
}

inline void ExpectLoadError(const Bytes& file, const std::string& message) {
    QXPNGLE png;
    ExpectError<EQXPNGLE>([&] { Load(png, file); }, message);
}

// The colour-table index of pixel (x, y) of a 1-, 4- or 8-bit bitmap.
inline std::uint32_t Index(const TBitmap& bitmap, int x, int y) {
    return GetPackedIndex(bitmap.ScanLine(y), x, bitmap.BitsPerPixel());
}

// Pixel (x, y) as 0xRRGGBB (through the colour table for palette formats).
inline std::uint32_t Color(const TBitmap& bitmap, int x, int y) {
    if (bitmap.BitsPerPixel() >= 24) {
        const std::uint8_t* p = bitmap.ScanLine(y) + x * (bitmap.BitsPerPixel() / 8);
        return std::uint32_t{p[2]} << 16 | std::uint32_t{p[1]} << 8 | p[0];
    }
    const std::uint32_t index = Index(bitmap, x, y);
    if (index >= bitmap.ColorTable().size()) return 0xFF000000u;  // no such colour
    const PaletteEntry& e = bitmap.ColorTable()[index];
    return std::uint32_t{e.red} << 16 | std::uint32_t{e.green} << 8 | e.blue;
}

// What the reader makes of pixel (x, y) of the image: 16-bit samples keep
// their high byte, alpha is dropped, greyscale of depth d is scaled by
// 255 / (2^d - 1), indexed pixels take the palette's colour.
inline std::uint32_t ExpectedColor(const Image& image, int x, int y, const std::vector<std::uint32_t>& palette = {}) {
    const std::uint16_t* s = image.Pixel(x, y);
    const int base = image.colorType & 3;
    auto eight = [&](std::uint16_t v) -> std::uint32_t { return image.depth == 16 ? v >> 8 : v; };
    if (base == 3) return palette.at(s[0]);
    if (base == 0) {
        const std::uint32_t grey = image.depth >= 8 ? eight(s[0]) : s[0] * 255u / ((1u << image.depth) - 1);
        return grey << 16 | grey << 8 | grey;
    }
    return eight(s[0]) << 16 | eight(s[1]) << 8 | eight(s[2]);
}

// The stored index of a greyscale or indexed pixel (16 bits: the high byte).
inline std::uint32_t ExpectedIndex(const Image& image, int x, int y) {
    const std::uint16_t v = image.Pixel(x, y)[0];
    return image.depth == 16 ? v >> 8u : v;
}

// The bitmap's bits per pixel for a colour type and depth.
inline int ExpectedBits(int colorType, int depth) {
    if ((colorType & 7) == 2 || (colorType & 7) >= 4) return 24;
    if (depth == 2) return 4;
    return depth == 16 ? 8 : depth;
}

// Checks every pixel of the loaded picture against the image.
inline void ExpectPicture(const QXPNGLE& png, const Image& image, const std::vector<std::uint32_t>& palette = {}) {
    const TBitmap* bitmap = png.InternalBitmap();
    ASSERT_NE(bitmap, nullptr);
    ASSERT_EQ(bitmap->Width(), image.width);
    ASSERT_EQ(bitmap->Height(), image.height);
    ASSERT_EQ(bitmap->BitsPerPixel(), ExpectedBits(image.colorType, image.depth));
    int mismatches = 0;
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const bool palettised = bitmap->BitsPerPixel() <= 8;
            if (palettised && Index(*bitmap, x, y) != ExpectedIndex(image, x, y) && ++mismatches <= 5)
                ADD_FAILURE() << "index at " << x << "," << y << ": " << Index(*bitmap, x, y) << " expected "
                              << ExpectedIndex(image, x, y);
            if (Color(*bitmap, x, y) != ExpectedColor(image, x, y, palette) && ++mismatches <= 5)
                ADD_FAILURE() << std::hex << "colour at " << std::dec << x << "," << y << ": " << std::hex
                              << Color(*bitmap, x, y) << " expected " << ExpectedColor(image, x, y, palette);
        }
    }
    EXPECT_EQ(mismatches, 0);
}

}  // namespace imvexa::test::png
