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

    void Write(const PngImage& image) {
        stream_.WriteBuffer(kSignature, sizeof kSignature);
        std::uint8_t header[13] = {};
        PutUInt32(header, image.width);
        PutUInt32(header + 4, image.height);
        header[8] = static_cast<std::uint8_t>(image.bitDepth);
        header[9] = static_cast<std::uint8_t>(image.colorType);
        WriteChunk(stream_, "IHDR", header, sizeof header);
        std::vector<std::uint8_t> palette;
        for (const PaletteEntry& color : image.palette) palette.insert(palette.end(), {color.red, color.green, color.blue});
        if (!palette.empty()) WriteChunk(stream_, "PLTE", palette.data(), palette.size());
        // A picture without pixels has no image data: the reader loads such
        // a file as an empty graphic.
        if (image.width > 0 && image.height > 0) WriteImageData(image);
        WriteChunk(stream_, "IEND", nullptr, 0);
    }

private:
    // The rows, filter None, deflated into IDAT chunks.
    void WriteImageData(const PngImage& image) {
        const int samples = image.colorType == 6 ? 4 : image.colorType == 2 ? 3 : 1;
        const auto rowBytes = static_cast<std::size_t>((std::int64_t{image.width} * samples * image.bitDepth + 7) / 8);
        std::vector<std::uint8_t> row(rowBytes + 1, 0);
        output_.assign(kOutputSize, 0);

        const int result = deflateInit(&zip_, Z_DEFAULT_COMPRESSION);
        if (result == Z_MEM_ERROR) throw EOutOfMemory("Out of memory");
        if (result != Z_OK) throw EQXPNGLE("Zlib error");
        deflateReady_ = true;

        zip_.next_out = output_.data();
        zip_.avail_out = static_cast<uInt>(kOutputSize);
        for (std::uint32_t y = 0; y < image.height; ++y) {
            image.row(static_cast<std::int32_t>(y), row.data() + 1);
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

// Indexed colour for 1, 4 and 8 bits, truecolour (red, green, blue) for 24.
void WriteBitmap(const TBitmap& bitmap, TStream& stream) {
    const int bits = bitmap.BitsPerPixel();
    PngImage image;
    image.width = static_cast<std::uint32_t>(bitmap.Width());
    image.height = static_cast<std::uint32_t>(bitmap.Height());
    image.bitDepth = bits == 24 ? 8 : bits;
    image.colorType = bits <= 8 ? 3 : 2;
    const std::vector<PaletteEntry>& colors = bitmap.ColorTable();
    image.palette.assign(colors.begin(), colors.begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(colors.size(), 256)));
    if (bits <= 8 && image.palette.empty()) throw EQXPNGLE("no colortable");
    const auto rowBytes = static_cast<std::size_t>((std::int64_t{bitmap.Width()} * bits + 7) / 8);
    image.row = [&bitmap, bits, rowBytes](std::int32_t y, std::uint8_t* bytes) {
        std::memcpy(bytes, bitmap.ScanLine(y), rowBytes);
        if (bits == 24)
            for (std::size_t i = 0; i + 2 < rowBytes; i += 3) std::swap(bytes[i], bytes[i + 2]);
    };
    WritePngImage(image, stream);
}

}  // namespace

void WritePngImage(const PngImage& image, TStream& stream) {
    PngWriter writer(stream);
    writer.Write(image);
}

void WritePng(const TBitmap& bitmap, TStream& stream) {
    switch (bitmap.PixelFormat()) {
        case TPixelFormat::Bit1:
        case TPixelFormat::Bit4:
        case TPixelFormat::Bit8:
        case TPixelFormat::Bit24:
            WriteBitmap(bitmap, stream);
            return;
        case TPixelFormat::Device:
            break;
    }
    // The screen's 32-bit rows are not PNG truecolour rows: write a 24-bit copy.
    TBitmap copy;
    copy.Assign(&bitmap);
    copy.SetPixelFormat(TPixelFormat::Bit24);
    WriteBitmap(copy, stream);
}

}  // namespace imvexa::png
