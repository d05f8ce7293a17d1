#pragma once
// A PNG file written a row at a time, for pictures too large to hold whole:
// the corpus's gigapixel PNGs. The product's PNG writer takes a whole bitmap
// and stores rows unfiltered; this one filters each row (Sub for whole-byte
// samples, as photographs are usually stored) and deflates with run-length
// matching only, which is fast on gigabytes and compresses smooth pictures well.
#include <cstdint>
#include <string>
#include <vector>

#include <zlib.h>

#include "Palette.h"
#include "Stream.h"

namespace imvexa::bench {

struct PngLayout {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 24;               // 1, 8 (with palette) or 24 (RGB)
    std::vector<PaletteEntry> palette;   // for 1 and 8 bits
};

class PngStreamWriter {
public:
    // Creates the file and writes everything before the image data.
    PngStreamWriter(const std::string& path, PngLayout layout);
    ~PngStreamWriter();
    PngStreamWriter(const PngStreamWriter&) = delete;
    PngStreamWriter& operator=(const PngStreamWriter&) = delete;

    std::size_t RowBytes() const { return row_.size() - 1; }
    // The next row, RowBytes() packed bytes (RGB order for 24 bits).
    void Row(const std::uint8_t* pixels);
    // Ends the image data and the file; call after the last row.
    void Finish();

private:
    void Chunk(const char* type, const std::uint8_t* data, std::size_t size);
    void Deflate(int flush);

    TFileStream file_;
    z_stream zip_{};
    std::size_t distance_;            // bytes between a sample and its left neighbour; 0: no filter
    std::vector<std::uint8_t> row_;   // filter byte, then the filtered row
    std::vector<std::uint8_t> output_;
};

}  // namespace imvexa::bench
