#include "PngStreamWriter.h"

#include <cstring>
#include <stdexcept>

namespace imvexa::bench {

namespace {

constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
constexpr std::size_t kChunkBytes = 1 << 20;
constexpr std::uint8_t kFilterNone = 0, kFilterSub = 1;

void PutBigEndian(std::uint8_t* to, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) to[i] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
}

std::FILE* Create(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) throw std::runtime_error("cannot create " + path);
    return file;
}

}  // namespace

PngStreamWriter::PngStreamWriter(const std::string& path, PngLayout layout)
    : file_(Create(path), std::fclose),
      distance_(layout.bitsPerPixel >= 8 ? static_cast<std::size_t>(layout.bitsPerPixel / 8) : 0),
      row_(1 + (static_cast<std::size_t>(layout.width) * static_cast<std::size_t>(layout.bitsPerPixel) + 7) / 8),
      output_(kChunkBytes) {
    if (deflateInit2(&zip_, Z_BEST_SPEED, Z_DEFLATED, 15, 8, Z_RLE) != Z_OK) throw std::runtime_error("deflateInit2");
    std::fwrite(kSignature, 1, sizeof kSignature, file_.get());
    std::uint8_t header[13] = {};
    PutBigEndian(header, static_cast<std::uint32_t>(layout.width));
    PutBigEndian(header + 4, static_cast<std::uint32_t>(layout.height));
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
    if (std::fflush(file_.get()) != 0 || std::ferror(file_.get())) throw std::runtime_error("write error");
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

// Length, type, data and the CRC-32 of type and data.
void PngStreamWriter::Chunk(const char* type, const std::uint8_t* data, std::size_t size) {
    std::uint8_t head[8];
    PutBigEndian(head, static_cast<std::uint32_t>(size));
    std::memcpy(head + 4, type, 4);
    uLong crc = crc32(0L, head + 4, 4);
    if (size > 0) crc = crc32(crc, data, static_cast<uInt>(size));
    std::uint8_t tail[4];
    PutBigEndian(tail, static_cast<std::uint32_t>(crc));
    std::fwrite(head, 1, sizeof head, file_.get());
    if (size > 0) std::fwrite(data, 1, size, file_.get());
    std::fwrite(tail, 1, sizeof tail, file_.get());
}

}  // namespace imvexa::bench
