// The PNG reader (LoadFromStream): the signature, the chunk loop
// (no CRC is checked), the IHDR, PLTE, IEND and IDAT handlers, and the
// streaming decode of the image data: each row is inflated from a 32 KB
// input buffer straight into a row buffer of its exact length, unfiltered,
// converted and placed into the bitmap's row.
//
// Decisions of this reader beyond the format's fixed rules:
// - a chunk length above 2^31 - 1 fails with "chunk length over";
// - a zlib stream that ends before the last row fails with "zlib data end";
//   data that runs out fails as described ("not next IDAT Chunk", or the
//   stream's read error when the stream itself ends); zlib asking for a
//   preset dictionary is a zlib failure ("zlib error");
// - width and height must be 1 .. kMaxPictureDimension and the bitmap and
//   the working rows must stay inside kMaxPixelBytes (PixelLimits.h, the
//   BMP reader's limit), checked at the first IDAT, which needs the size:
//   "image size error" (a header of 0 x 0 followed by IEND is an empty
//   picture);
// - an IDAT chunk before any IHDR fails with "IHDR None".
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "PixelLimits.h"
#include "QXPNGL.h"
#include "QXPNGLCodec.h"
#include "QXPNGLConvert.h"
#include "QXPNGLRows.h"

namespace imvexa::png {

namespace {

constexpr std::uint32_t kIHDR = 0x49484452;
constexpr std::uint32_t kPLTE = 0x504C5445;
constexpr std::uint32_t kIDAT = 0x49444154;
constexpr std::uint32_t kIEND = 0x49454E44;
constexpr std::uint8_t kSignature[8] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};
constexpr std::size_t kInputSize = 32768;

[[noreturn]] void Fail(const char* message) {
    throw EQXPNGLE(message);
}

TPixelFormat FormatForBits(int bits) {
    switch (bits) {
        case 1: return TPixelFormat::Bit1;
        case 4: return TPixelFormat::Bit4;
        case 8: return TPixelFormat::Bit8;
        default: return TPixelFormat::Bit24;
    }
}

// Gives the bitmap its size and format. Pixels of another format are
// dropped rather than converted: every row is about to be written.
void PrepareBitmap(TBitmap& bitmap, int width, int height, TPixelFormat format) {
    if (bitmap.PixelFormat() != format && !bitmap.Empty()) bitmap.SetSize(0, 0);
    bitmap.SetPixelFormat(format);
    bitmap.SetSize(width, height);
}

// PngReadState: the decoding record of one LoadFromStream call. The
// destructor releases what it owns (the inflate stream, the buffers) on
// every path; the bitmap is the caller's.
class PngReader {
public:
    PngReader(TStream& stream, std::unique_ptr<TBitmap>& bitmap) : stream_(stream), bitmap_(bitmap) {}
    ~PngReader() {
        if (inflateReady_) inflateEnd(&zip_);
    }
    PngReader(const PngReader&) = delete;
    PngReader& operator=(const PngReader&) = delete;

    void Run() {
        std::uint8_t signature[8];
        stream_.ReadBuffer(signature, sizeof signature);
        for (std::size_t i = 0; i < sizeof signature; ++i)
            if (signature[i] != kSignature[i]) Fail("Not PNG Image");

        const int result = inflateInit(&zip_);
        if (result == Z_MEM_ERROR) throw EOutOfMemory("Out of memory");
        if (result != Z_OK) Fail("ZLIB ERROR");
        inflateReady_ = true;

        while (!iendSeen_) {
            ReadChunkLength();
            switch (ReadUInt32()) {
                case kIDAT: HandleIDAT(); break;
                case kIEND: HandleIEND(); break;
                case kIHDR: HandleIHDR(); break;
                case kPLTE: HandlePLTE(); break;
                default: stream_.Seek(remaining_, SeekOrigin::Current); break;
            }
            std::uint8_t crc[4];
            stream_.ReadBuffer(crc, sizeof crc);
        }
    }

private:
    std::uint32_t ReadUInt32() {
        std::uint8_t b[4];
        stream_.ReadBuffer(b, sizeof b);
        return std::uint32_t{b[0]} << 24 | std::uint32_t{b[1]} << 16 | std::uint32_t{b[2]} << 8 | b[3];
    }

    std::uint8_t ReadByte() {
        std::uint8_t b;
        stream_.ReadBuffer(&b, 1);
        return b;
    }

    // The length of the chunk that starts here, into remaining.
    void ReadChunkLength() {
        const std::uint32_t length = ReadUInt32();
        if (length > 0x7FFFFFFFu) Fail("chunk length over");
        remaining_ = static_cast<std::int32_t>(length);
    }

    void HandleIHDR() {
        if (ihdrSeen_) Fail("appear two IHDR");
        width_ = ReadUInt32();
        height_ = ReadUInt32();
        bitDepth_ = ReadByte();
        int colorType = ReadByte() & 7;
        if (colorType == 1 || colorType == 5 || colorType == 7) Fail("Error ColorType");
        if ((colorType & 4) != 0) {
            alpha_ = true;
            colorType &= 3;
        }
        colorTypeBase_ = colorType;
        switch (colorTypeBase_) {
            case 0:
                if (bitDepth_ != 1 && bitDepth_ != 2 && bitDepth_ != 4 && bitDepth_ != 8 && bitDepth_ != 16)
                    Fail("Error Bitdepth");
                if (alpha_ && bitDepth_ < 8) Fail("not Use AlphaChannel");
                greyscale_ = true;
                break;
            case 2:
                if (bitDepth_ != 8 && bitDepth_ != 16) Fail("Error BitDepth");
                break;
            default:
                if (bitDepth_ != 1 && bitDepth_ != 2 && bitDepth_ != 4 && bitDepth_ != 8) Fail("Error BitDepth");
                indexed_ = true;
                break;
        }
        if (ReadByte() > 1) Fail("not support Compression");
        if (ReadByte() > 1) Fail("not supprt Filter");
        interlaced_ = ReadByte();
        if (interlaced_ > 1) Fail("not interlace type");
        ihdrSeen_ = true;
    }

    // The size must fit the pixel limits, as must the three working rows.
    void CheckSize() const {
        const std::int64_t width = width_;
        const std::int64_t height = height_;
        const RowFormat format = ChooseRowFormat(colorTypeBase_, alpha_, bitDepth_);
        bool fits = width >= 1 && height >= 1 && width <= kMaxPictureDimension && height <= kMaxPictureDimension;
        if (fits) {
            const std::int64_t stride = (width * format.outputBits + 31) / 32 * 4;
            fits = WithinPixelLimits(width, height, stride) && 3 * RowBufferSize(format) <= kMaxPixelBytes;
        }
        if (!fits) Fail("image size error");
    }

    std::int64_t RowBufferSize(const RowFormat& format) const {
        return ((std::int64_t{width_} * format.bufferBits + 7) / 8 + 12 + 3) / 4 * 4;
    }

    void HandlePLTE() {
        if (!ihdrSeen_ || plteSeen_) Fail("Error PLTE");
        if (remaining_ <= 0) {
            plteSeen_ = true;
            return;
        }
        if (remaining_ % 3 != 0) Fail("palettesize error");
        const int count = remaining_ / 3;
        if (count < 1 || count > 256) Fail("palette length over");
        std::uint8_t triples[256 * 3];
        stream_.ReadBuffer(triples, static_cast<std::size_t>(count) * 3);
        for (int i = 0; i < count; ++i)
            palette_[i] = PaletteEntry{triples[3 * i], triples[3 * i + 1], triples[3 * i + 2], 0};
        plteCount_ = count;
        plteSeen_ = true;
    }

    void HandleIEND() {
        iendSeen_ = true;
        if (remaining_ != 0) Fail("error IEND size");
    }

    void HandleIDAT() {
        if (dataDone_) Fail("appear two IDAT");
        if (!ihdrSeen_) Fail("IHDR None");
        CheckSize();

        const RowFormat format = ChooseRowFormat(colorTypeBase_, alpha_, bitDepth_);
        outputBits_ = format.outputBits;
        rawBits_ = format.rawBits;
        convert_ = format.convert;
        place_ = PlacementFor(outputBits_);
        distance_ = (rawBits_ + 7) / 8;

        const auto bufferSize = static_cast<std::size_t>(RowBufferSize(format));
        current_.assign(bufferSize, 0);
        previous_.assign(bufferSize, 0);
        converted_.assign(bufferSize, 0);

        int paletteCount = 0;
        if (greyscale_ && outputBits_ <= 8) {
            const int depth = std::min<int>(bitDepth_, 8);
            paletteCount = 1 << depth;
            const int step = 255 / (paletteCount - 1);
            for (int i = 0; i < paletteCount; ++i) {
                const auto grey = static_cast<std::uint8_t>(i * step);
                palette_[i] = PaletteEntry{grey, grey, grey, 0};
            }
        } else if (indexed_) {
            if (!plteSeen_ || plteCount_ < 1 || plteCount_ > 256) Fail("Palette None");
            paletteCount = plteCount_;
        } else if (plteSeen_) {
            paletteCount = plteCount_;
        }

        if (!bitmap_) bitmap_ = std::make_unique<TBitmap>();
        TBitmap& bitmap = *bitmap_;
        PrepareBitmap(bitmap, static_cast<int>(width_), static_cast<int>(height_), FormatForBits(outputBits_));
        if (paletteCount >= 1)
            bitmap.SetPalette(CreatePaletteHandle(palette_.data(), paletteCount));
        else
            bitmap.SetColorTable({});  // a truecolour picture without PLTE: no palette of an earlier load
        stride_ = (std::int64_t{width_} * outputBits_ + 31) / 32 * 4;

        input_.assign(kInputSize, 0);
        zip_.next_in = input_.data();
        zip_.avail_in = 0;

        const int passes = interlaced_ ? 7 : 1;
        for (pass_ = 0; pass_ < passes; ++pass_) {
            SetUpPass();
            for (std::int64_t y = 0; y < height_; ++y) DecodeRow(bitmap, y);
        }
        dataDone_ = true;
    }

    void SetUpPass() {
        if (interlaced_) {
            firstColumn_ = kAdam7[pass_].firstColumn;
            columnStep_ = kAdam7[pass_].columnStep;
            passWidth_ = PassWidth(pass_, width_);
        } else {
            firstColumn_ = 0;
            columnStep_ = 1;
            passWidth_ = width_;
        }
        rowBytes_ = (passWidth_ * rawBits_ + 7) / 8 + 1;
        std::memset(previous_.data(), 0, static_cast<std::size_t>(rowBytes_));
        rowCounter_ = 0;
    }

    void DecodeRow(TBitmap& bitmap, std::int64_t y) {
        if (!interlaced_ || RowInPass(pass_, y, width_, height_)) {
            InflateRow();
            std::uint8_t* row = current_.data();
            if (!UnfilterRow(row, previous_.data(), static_cast<std::size_t>(rowBytes_ - 1), distance_))
                Fail("not support Filter");
            std::uint8_t* target = bitmap.ScanLine(static_cast<int>(y));
            if (!interlaced_) {
                // The converted row goes straight into the bitmap row; the
                // bytes after it (row padding) are zero, as in the row buffers.
                std::int64_t written = rowBytes_ - 1;
                if (convert_ != nullptr) {
                    convert_(row + 1, target, passWidth_);
                    written = outputBits_ == 4 ? 2 * ((passWidth_ + 3) / 4) : passWidth_ * (outputBits_ / 8);
                } else {
                    std::memcpy(target, row + 1, static_cast<std::size_t>(written));
                }
                if (written < stride_) std::memset(target + written, 0, static_cast<std::size_t>(stride_ - written));
            } else {
                const std::uint8_t* pixels = row + 1;
                if (convert_ != nullptr) {
                    convert_(row + 1, converted_.data(), passWidth_);
                    pixels = converted_.data();
                }
                place_(target, pixels, passWidth_, firstColumn_, columnStep_);
            }
            std::swap(current_, previous_);
        }
        if (++rowCounter_ == height_ && pass_ == (interlaced_ ? 6 : 0)) {
            if (remaining_ > 0) {
                stream_.Seek(remaining_, SeekOrigin::Current);
                remaining_ = 0;
            }
            inflateReset(&zip_);
        }
    }

    // Inflates exactly one filtered row into the current-row buffer, reading
    // compressed data chunk by chunk as it is needed.
    void InflateRow() {
        zip_.next_out = current_.data();
        zip_.avail_out = static_cast<uInt>(rowBytes_);
        while (zip_.avail_out > 0) {
            if (zip_.avail_in == 0) {
                if (remaining_ <= 0) {
                    stream_.Seek(4, SeekOrigin::Current);  // the CRC of the chunk just finished
                    ReadChunkLength();
                    if (ReadUInt32() != kIDAT) Fail("not next IDAT Chunk");
                }
                const auto count = static_cast<std::size_t>(std::min<std::int64_t>(remaining_, kInputSize));
                stream_.ReadBuffer(input_.data(), count);
                zip_.next_in = input_.data();
                zip_.avail_in = static_cast<uInt>(count);
                remaining_ -= static_cast<std::int32_t>(count);
            }
            const int result = inflate(&zip_, Z_NO_FLUSH);
            if (result == Z_STREAM_END) {
                if (zip_.avail_out > 0) Fail("zlib data end");
            } else if (result != Z_OK) {
                Fail("zlib error");
            }
        }
    }

    TStream& stream_;
    std::unique_ptr<TBitmap>& bitmap_;
    z_stream zip_{};
    bool inflateReady_ = false;
    std::int32_t remaining_ = 0;

    bool ihdrSeen_ = false;
    bool plteSeen_ = false;
    bool dataDone_ = false;
    bool iendSeen_ = false;

    std::uint32_t width_ = 0;
    std::uint32_t height_ = 0;
    int bitDepth_ = 0;
    int colorTypeBase_ = 0;
    bool alpha_ = false;
    bool greyscale_ = false;
    bool indexed_ = false;
    int interlaced_ = 0;

    int outputBits_ = 0;
    int rawBits_ = 0;
    int distance_ = 1;
    std::int64_t stride_ = 0;
    std::array<PaletteEntry, 256> palette_{};
    int plteCount_ = 0;

    int pass_ = 0;
    std::int64_t firstColumn_ = 0;
    std::int64_t columnStep_ = 1;
    std::int64_t passWidth_ = 0;
    std::int64_t rowBytes_ = 0;
    std::int64_t rowCounter_ = 0;

    std::vector<std::uint8_t> current_;
    std::vector<std::uint8_t> previous_;
    std::vector<std::uint8_t> converted_;
    ConvertPixels convert_ = nullptr;
    PlacePixels place_ = nullptr;
    std::vector<std::uint8_t> input_;
};

}  // namespace

void ReadPng(TStream& stream, std::unique_ptr<TBitmap>& bitmap) {
    PngReader reader(stream, bitmap);
    reader.Run();
}

}  // namespace imvexa::png
