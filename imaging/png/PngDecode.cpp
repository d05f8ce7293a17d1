// The PNG reader: the signature, the chunk loop (no CRC is checked), the
// IHDR, PLTE and IEND handlers, and at the first IDAT chunk the decoding of
// the whole image data (PngImageRows.cpp), announced to the sink first.
//
// Decisions of this reader beyond the format's fixed rules:
// - a chunk length above 2^31 - 1 fails with "chunk length over";
// - a zlib stream that ends before the last row fails with "zlib data end";
//   data that runs out fails with "not next IDAT Chunk", or the read error
//   when the bytes themselves end; zlib asking for a preset dictionary is a
//   zlib failure ("zlib error");
// - width and height must be 1 .. kMaxPictureDimension, the pixel count
//   within kMaxStreamedPixels, the working rows within kMaxPixelBytes, and a
//   picture kept whole (interlaced, or for a caller that keeps it) within
//   kMaxPixelBytes too; checked at the first IDAT, which needs the size:
//   "image size error" (a header of 0 x 0 followed by IEND is an empty
//   picture);
// - an IDAT chunk before any IHDR fails with "IHDR None".
#include "PngDecode.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <vector>

#include "AllocationFailure.h"
#include "PixelLimits.h"
#include "PngAlphaRows.h"
#include "PngBytes.h"
#include "PngErrors.h"
#include "PngFormat.h"
#include "PngImageRows.h"
#include "QXPNGLConvert.h"

namespace imvexa {

namespace {

using namespace png;

[[noreturn]] void Fail(const char* message) {
    throw EQXPNGLE(message);
}

bool IsOneOf(int value, std::initializer_list<int> allowed) {
    return std::find(allowed.begin(), allowed.end(), value) != allowed.end();
}

class TPngDecoder {
public:
    TPngDecoder(std::span<const std::uint8_t> bytes, TRowSink& sink, const PngDecodeOptions& options)
        : bytes_(bytes), sink_(sink), options_(options) {}

    std::size_t Run() {
        const std::uint8_t* signature = bytes_.Take(sizeof kSignature);
        for (std::size_t i = 0; i < sizeof kSignature; ++i)
            if (signature[i] != kSignature[i]) Fail("Not PNG Image");
        while (!iendSeen_) {
            remaining_ = bytes_.ReadChunkLength();
            switch (bytes_.ReadUInt32()) {
                case kIDAT: HandleIDAT(); break;
                case kIEND: HandleIEND(); break;
                case kIHDR: HandleIHDR(); break;
                case kPLTE: HandlePLTE(); break;
                case kTRNS: HandleTRNS(); break;
                default: bytes_.Skip(static_cast<std::uint32_t>(remaining_)); break;
            }
            bytes_.Take(4);  // the CRC, unchecked
        }
        return static_cast<std::size_t>(bytes_.Position());
    }

    std::uint64_t Position() const { return bytes_.Position(); }

private:
    void HandleIHDR() {
        if (ihdrSeen_) Fail("appear two IHDR");
        width_ = bytes_.ReadUInt32();
        height_ = bytes_.ReadUInt32();
        bitDepth_ = bytes_.ReadByte();
        int colorType = bytes_.ReadByte() & 7;
        if (IsOneOf(colorType, {1, 5, 7})) Fail("Error ColorType");
        if ((colorType & 4) != 0) {
            alpha_ = true;
            colorType &= 3;
        }
        colorTypeBase_ = colorType;
        switch (colorTypeBase_) {
            case 0:
                if (!IsOneOf(bitDepth_, {1, 2, 4, 8, 16})) Fail("Error Bitdepth");
                if (alpha_ && bitDepth_ < 8) Fail("not Use AlphaChannel");
                greyscale_ = true;
                break;
            case 2:
                if (!IsOneOf(bitDepth_, {8, 16})) Fail("Error BitDepth");
                break;
            default:
                if (!IsOneOf(bitDepth_, {1, 2, 4, 8})) Fail("Error BitDepth");
                indexed_ = true;
                break;
        }
        if (bytes_.ReadByte() > 1) Fail("not support Compression");
        if (bytes_.ReadByte() > 1) Fail("not supprt Filter");
        interlaced_ = bytes_.ReadByte();
        if (interlaced_ > 1) Fail("not interlace type");
        ihdrSeen_ = true;
    }

    void HandlePLTE() {
        if (!ihdrSeen_ || plteSeen_) Fail("Error PLTE");
        plteSeen_ = true;
        if (remaining_ <= 0) return;
        if (remaining_ % 3 != 0) Fail("palettesize error");
        const int count = remaining_ / 3;
        if (count > 256) Fail("palette length over");
        const std::uint8_t* triples = bytes_.Take(static_cast<std::size_t>(count) * 3);
        for (int i = 0; i < count; ++i)
            palette_[i] = PaletteEntry{triples[3 * i], triples[3 * i + 1], triples[3 * i + 2], 0};
        plteCount_ = count;
    }

    // Kept only for rows with alpha; the most a tRNS chunk can hold is one
    // byte per palette entry, longer ones are ignored.
    void HandleTRNS() {
        if (!options_.alpha || remaining_ > 256) {
            bytes_.Skip(static_cast<std::uint32_t>(remaining_));
            return;
        }
        const std::uint8_t* data = bytes_.Take(static_cast<std::size_t>(remaining_));
        transparency_.assign(data, data + remaining_);
    }

    void HandleIEND() {
        iendSeen_ = true;
        if (remaining_ != 0) Fail("error IEND size");
    }

    void HandleIDAT() {
        if (dataDone_) Fail("appear two IDAT");
        if (!ihdrSeen_) Fail("IHDR None");
        const RowFormat format = ChooseFormat();
        CheckSize(format);
        PictureHeader header;
        header.width = static_cast<std::int32_t>(width_);
        header.height = static_cast<std::int32_t>(height_);
        header.bitsPerPixel = format.outputBits;
        header.colors = Colors(format.outputBits);
        header.alpha = format.outputBits == 32;
        sink_.Begin(header);
        DecodeImageRows(bytes_, remaining_, format, interlaced_ != 0, header, sink_);
        dataDone_ = true;
    }

    RowFormat ChooseFormat() const {
        if (options_.alpha) {
            const std::span<const PaletteEntry> palette(palette_.data(), static_cast<std::size_t>(plteCount_));
            if (auto format = ChooseAlphaRowFormat(colorTypeBase_, alpha_, bitDepth_, palette, transparency_))
                return *std::move(format);
        }
        return ChooseRowFormat(colorTypeBase_, alpha_, bitDepth_);
    }

    // Sizes that bound the work: the dimensions, the pixel count (time), the
    // working rows and, when the picture is kept whole, the picture (memory).
    void CheckSize(const RowFormat& format) const {
        const std::int64_t width = width_;
        const std::int64_t height = height_;
        bool fits = width >= 1 && height >= 1 && width <= kMaxPictureDimension && height <= kMaxPictureDimension &&
                    width * height <= kMaxStreamedPixels;
        fits = fits && 3 * WorkingRowBytes(format, width) <= kMaxPixelBytes;
        if (fits && (interlaced_ != 0 || options_.keepsWholePicture))
            fits = WithinPixelLimits(width, height, (width * format.outputBits + 31) / 32 * 4);
        if (!fits) Fail("image size error");
    }

    // The colour table: a grey ramp for greyscale of 8 bits or less (any
    // PLTE is ignored), the PLTE for indexed pictures (which need one; the
    // entries the pixels can reach), and a truecolour picture keeps a PLTE
    // read before its image data.
    std::vector<PaletteEntry> Colors(int outputBits) const {
        if (greyscale_ && outputBits <= 8) {
            const int count = 1 << std::min(bitDepth_, 8);
            const int step = 255 / (count - 1);
            std::vector<PaletteEntry> ramp(static_cast<std::size_t>(count));
            for (int i = 0; i < count; ++i) {
                const auto grey = static_cast<std::uint8_t>(i * step);
                ramp[static_cast<std::size_t>(i)] = PaletteEntry{grey, grey, grey, 0};
            }
            return ramp;
        }
        if (indexed_ && plteCount_ < 1) Fail("Palette None");
        const int count = outputBits <= 8 ? std::min(plteCount_, 1 << outputBits) : plteCount_;
        return {palette_.begin(), palette_.begin() + count};
    }

    TPngBytes bytes_;
    TRowSink& sink_;
    PngDecodeOptions options_;
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

    std::array<PaletteEntry, 256> palette_{};
    int plteCount_ = 0;
    std::vector<std::uint8_t> transparency_;  // the tRNS data, when rows with alpha are asked for
};

}  // namespace

std::size_t DecodePNG(std::span<const std::uint8_t> bytes, TRowSink& sink, const PngDecodeOptions& options,
                      std::uint64_t* stop) {
    TPngDecoder decoder(bytes, sink, options);
    try {
        const std::size_t used = GuardAllocations([&] { return decoder.Run(); });
        if (stop != nullptr) *stop = used;
        return used;
    } catch (...) {
        if (stop != nullptr) *stop = decoder.Position();
        throw;
    }
}

}  // namespace imvexa
