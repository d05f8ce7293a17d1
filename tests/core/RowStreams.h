#pragma once
// Pictures as row streams for tests: random bitmaps, rows sent in either
// order, rows recorded.
#include <random>
#include <vector>

#include "BitmapRows.h"

namespace imvexa::test {

// A width × height bitmap of the format with a random table of count colours
// (palette formats) and random pixel bytes, indexes beyond the table included.
inline void RandomBitmap(TBitmap& bitmap, std::mt19937& random, int width, int height, TPixelFormat format,
                         std::size_t count) {
    std::vector<PaletteEntry> colors(count);
    for (PaletteEntry& color : colors)
        color = {static_cast<std::uint8_t>(random()), static_cast<std::uint8_t>(random()),
                 static_cast<std::uint8_t>(random()), 0};
    bitmap.SetSize(0, 0);
    bitmap.SetPixelFormat(format, colors);
    bitmap.SetSize(width, height);
    const auto rowBytes = static_cast<std::size_t>((std::int64_t{width} * bitmap.BitsPerPixel() + 7) / 8);
    for (int y = 0; y < height; ++y)
        for (std::size_t i = 0; i < rowBytes; ++i) bitmap.ScanLine(y)[i] = static_cast<std::uint8_t>(random());
}

// Sends the bitmap's picture with its rows in the given order.
inline void SendRowsInOrder(const TBitmap& bitmap, TRowOrder order, TRowSink& sink) {
    PictureHeader header{bitmap.Width(), bitmap.Height(), bitmap.BitsPerPixel(), bitmap.ColorTable(), order};
    sink.Begin(header);
    for (int i = 0; i < bitmap.Height(); ++i)
        sink.Row(bitmap.ScanLine(order == TRowOrder::TopDown ? i : bitmap.Height() - 1 - i));
}

// Every header and row a sink is given.
struct RecordedRows : TRowSink {
    PictureHeader header;
    std::vector<std::vector<std::uint8_t>> rows;
    void Begin(const PictureHeader& h) override { header = h; }
    void Row(const std::uint8_t* pixels) override {
        const auto bytes = static_cast<std::size_t>((std::int64_t{header.width} * header.bitsPerPixel + 7) / 8);
        rows.emplace_back(pixels, pixels + bytes);
    }
};

}  // namespace imvexa::test
