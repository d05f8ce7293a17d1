#include "PngStreamWriter.h"

#include <cstring>
#include <stdexcept>

#include "PngChunks.h"
#include "PngFormat.h"

namespace imvexa::bench {

namespace {

constexpr std::size_t kChunkBytes = 1 << 20;
constexpr std::uint8_t kFilterNone = 0, kFilterSub = 1;

}  // namespace

PngStreamWriter::PngStreamWriter(const std::string& path, PngLayout layout)
    : file_(path, FileMode::Create),
      distance_(layout.bitsPerPixel >= 8 ? static_cast<std::size_t>(layout.bitsPerPixel / 8) : 0),
      row_(1 + (static_cast<std::size_t>(layout.width) * static_cast<std::size_t>(layout.bitsPerPixel) + 7) / 8),
      output_(kChunkBytes) {
    if (deflateInit2(&zip_, Z_BEST_SPEED, Z_DEFLATED, 15, 8, Z_RLE) != Z_OK) throw std::runtime_error("deflateInit2");
    file_.WriteBuffer(png::kSignature, sizeof png::kSignature);
    std::uint8_t header[13] = {};
    png::PutUInt32(header, static_cast<std::uint32_t>(layout.width));
    png::PutUInt32(header + 4, static_cast<std::uint32_t>(layout.height));
    header[8] = static_cast<std::uint8_t>(layout.bitsPerPixel == 24 ? 8 : layout.bitsPerPixel);
    header[9] = layout.bitsPerPixel == 24 ? 2 : 3;  // truecolour or indexed
    Chunk("IHDR", header, sizeof header);
    std::vector<std::uint8_t> colors;
    for (const PaletteEntry& entry : layout.palette) colors.insert(colors.end(), {entry.red, entry.green, entry.blue});
    if (!colors.empty()) Chunk("PLTE", colors.data(), colors.size());
    row_[0] = distance_ > 0 ? kFilterSub : kFilterNone;
    zip_.next_out = output_.data();
    zip_.avail_out = static_cast<uInt>(output_.size());
}

PngStreamWriter::~PngStreamWriter() { deflateEnd(&zip_); }

void PngStreamWriter::Row(const std::uint8_t* pixels) {
    const std::size_t size = RowBytes();
    std::uint8_t* filtered = row_.data() + 1;
    std::memcpy(filtered, pixels, size);
    if (distance_ > 0) {
        // From the right, so that each left neighbour is still unfiltered.
        for (std::size_t i = size; i-- > distance_;) {
            filtered[i] = static_cast<std::uint8_t>(filtered[i] - filtered[i - distance_]);
        }
    }
    zip_.next_in = row_.data();
    zip_.avail_in = static_cast<uInt>(row_.size());
    Deflate(Z_NO_FLUSH);
}

void PngStreamWriter::Finish() {
    Deflate(Z_FINISH);
    Chunk("IEND", nullptr, 0);
}

// Runs deflate until it has taken all input (and, when finishing, ended the
// stream), writing every full output buffer as one IDAT chunk.
void PngStreamWriter::Deflate(int flush) {
    for (;;) {
        const int status = deflate(&zip_, flush);
        if (status == Z_STREAM_ERROR) throw std::runtime_error("deflate");
        const bool done = flush == Z_FINISH ? status == Z_STREAM_END : zip_.avail_in == 0;
        if (zip_.avail_out == 0 || (done && flush == Z_FINISH)) {
            Chunk("IDAT", output_.data(), output_.size() - zip_.avail_out);
            zip_.next_out = output_.data();
            zip_.avail_out = static_cast<uInt>(output_.size());
        }
        if (done) return;
    }
}

void PngStreamWriter::Chunk(const char* type, const std::uint8_t* data, std::size_t size) {
    png::WriteChunk(file_, type, data, size);
}

}  // namespace imvexa::bench
