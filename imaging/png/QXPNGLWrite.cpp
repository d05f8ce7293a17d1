// The PNG writer (SaveToStream): the signature, IHDR, PLTE, the
// rows (filter None) deflated into IDAT chunks of at most 32 KB, and IEND.
// Indexed colour for 1, 4 and 8 bits per pixel, truecolour for 24 (a bitmap
// of any other format is written from a 24-bit copy).
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "QXPNGL.h"
#include "PngChunks.h"
#include "PngFormat.h"
#include "QXPNGLCodec.h"

namespace imvexa::png {

namespace {

constexpr std::size_t kOutputSize = 32768;

// PngWriteState: the deflate stream and its output buffer, released on every path.
class PngWriter {
public:
    explicit PngWriter(TStream& stream) : stream_(stream) {}
    ~PngWriter() {
        if (deflateReady_) deflateEnd(&zip_);
    }
    PngWriter(const PngWriter&) = delete;
    PngWriter& operator=(const PngWriter&) = delete;

    void Write(const TBitmap& bitmap) {
        const int bits = bitmap.BitsPerPixel() <= 8 ? bitmap.BitsPerPixel() : 24;

        const std::vector<PaletteEntry>& colors = bitmap.ColorTable();
        const std::size_t colorCount = std::min<std::size_t>(colors.size(), 256);
        std::vector<std::uint8_t> palette;
        for (std::size_t i = 0; i < colorCount; ++i) {
            palette.push_back(colors[i].red);
            palette.push_back(colors[i].green);
            palette.push_back(colors[i].blue);
        }

        stream_.WriteBuffer(kSignature, sizeof kSignature);

        std::uint8_t header[13];
        PutUInt32(header, static_cast<std::uint32_t>(bitmap.Width()));
        PutUInt32(header + 4, static_cast<std::uint32_t>(bitmap.Height()));
        header[8] = static_cast<std::uint8_t>(bits == 24 ? 8 : bits);
        header[9] = bits <= 8 ? 3 : 2;
        header[10] = 0;
        header[11] = 0;
        header[12] = 0;
        WriteChunk(stream_, "IHDR", header, sizeof header);

        if (bits <= 8 && colorCount == 0) throw EQXPNGLE("no colortable");
        if (colorCount > 0) WriteChunk(stream_, "PLTE", palette.data(), palette.size());

        // A picture without pixels has no image data: the reader loads such
        // a file as an empty graphic.
        if (!bitmap.Empty()) WriteImageData(bitmap, bits);
        WriteChunk(stream_, "IEND", nullptr, 0);
    }

private:
    // The rows, filter None, deflated into IDAT chunks.
    void WriteImageData(const TBitmap& bitmap, int bits) {
        const auto rowBytes = static_cast<std::size_t>((std::int64_t{bitmap.Width()} * bits + 7) / 8);
        std::vector<std::uint8_t> row(rowBytes + 1, 0);
        output_.assign(kOutputSize, 0);

        const int result = deflateInit(&zip_, Z_DEFAULT_COMPRESSION);
        if (result == Z_MEM_ERROR) throw EOutOfMemory("Out of memory");
        if (result != Z_OK) throw EQXPNGLE("Zlib error");
        deflateReady_ = true;

        zip_.next_out = output_.data();
        zip_.avail_out = static_cast<uInt>(kOutputSize);
        for (int y = 0; y < bitmap.Height(); ++y) {
            std::memcpy(row.data() + 1, bitmap.ScanLine(y), rowBytes);
            if (bits == 24) {
                for (std::size_t i = 1; i + 2 < row.size(); i += 3) std::swap(row[i], row[i + 2]);
            }
            zip_.next_in = row.data();
            zip_.avail_in = static_cast<uInt>(row.size());
            while (zip_.avail_in > 0) {
                if (deflate(&zip_, Z_NO_FLUSH) < 0) throw EQXPNGLE("ZLIB Error");
                if (zip_.avail_out == 0) FlushOutput();
            }
        }
        for (;;) {
            const int status = deflate(&zip_, Z_FINISH);
            if (status < 0) throw EQXPNGLE("ZLIB error");
            if (status == Z_STREAM_END) break;
            if (zip_.avail_out == 0) FlushOutput();
        }
        if (zip_.avail_out < kOutputSize) FlushOutput();
        deflateReset(&zip_);
    }

    // Writes what the output buffer holds as one IDAT chunk and empties it.
    void FlushOutput() {
        WriteChunk(stream_, "IDAT", output_.data(), kOutputSize - zip_.avail_out);
        zip_.next_out = output_.data();
        zip_.avail_out = static_cast<uInt>(kOutputSize);
    }

    TStream& stream_;
    z_stream zip_{};
    bool deflateReady_ = false;
    std::vector<std::uint8_t> output_;
};

}  // namespace

void WritePng(const TBitmap& bitmap, TStream& stream) {
    switch (bitmap.PixelFormat()) {
        case TPixelFormat::Bit1:
        case TPixelFormat::Bit4:
        case TPixelFormat::Bit8:
        case TPixelFormat::Bit24: {
            PngWriter writer(stream);
            writer.Write(bitmap);
            return;
        }
        case TPixelFormat::Device:
            break;
    }
    // The screen's 32-bit rows are not PNG truecolour rows: write a 24-bit copy.
    TBitmap copy;
    copy.Assign(&bitmap);
    copy.SetPixelFormat(TPixelFormat::Bit24);
    PngWriter writer(stream);
    writer.Write(copy);
}

}  // namespace imvexa::png
