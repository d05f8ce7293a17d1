// Hostile PNG files through DecodePNG: decoding must fail cleanly with one
// of the library's exceptions or hand over a well-formed picture (Begin
// once, before any row; every row byte readable). QXPNGLE, which decodes
// through the same function into its bitmap, must come to the same end:
// the same error (with a bitmap of the announced size once the picture was
// announced), or a bitmap holding the same rows. Saving that bitmap and
// reading it back gives the same rows again. Asked for rows with alpha, the
// decoder comes to the same end, and its rows show the same colours.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "Bitmap.h"
#include "PackedPixels.h"
#include "PngDecode.h"
#include "QXPNGL.h"
#include "RuntimeErrors.h"
#include "Stream.h"

using namespace imvexa;

namespace {

// The reader accepts pictures of up to kMaxStreamedPixels (and QXPNGLE up to
// the 1 GiB bitmap limit), legal but far too slow for fuzzing: skip inputs
// whose IHDR asks for more than 4 million pixels (the reader's own size
// checks are unit-tested).
bool TooLarge(const std::uint8_t* data, std::size_t size) {
    for (std::size_t i = 0; i + 12 <= size; ++i) {
        if (std::memcmp(data + i, "IHDR", 4) != 0) continue;
        auto word = [&](std::size_t at) {
            return std::uint64_t{data[at]} << 24 | std::uint64_t{data[at + 1]} << 16 |
                   std::uint64_t{data[at + 2]} << 8 | data[at + 3];
        };
        if (word(i + 4) * word(i + 8) > (std::uint64_t{1} << 22)) return true;
    }
    return false;
}

// Keeps every row, checking the order of the calls.
class TKeptRows : public TRowSink {
public:
    void Begin(const PictureHeader& header) override {
        if (header_ || header.width <= 0 || header.height <= 0) __builtin_trap();
        if (header.bitsPerPixel <= 8 && header.colors.size() > (std::size_t{1} << header.bitsPerPixel))
            __builtin_trap();
        header_ = header;
        rowBytes_ = (static_cast<std::size_t>(header.width) * static_cast<std::size_t>(header.bitsPerPixel) + 7) / 8;
    }
    void Row(const std::uint8_t* pixels) override {
        if (!header_ || rows.size() >= static_cast<std::size_t>(header_->height)) __builtin_trap();
        rows.emplace_back(pixels, pixels + rowBytes_);
    }

    std::optional<PictureHeader> header_;
    std::vector<std::vector<std::uint8_t>> rows;

private:
    std::size_t rowBytes_ = 0;
};

// The outcome of a decode: empty on success, else the error's message.
template <class Decode>
std::string Outcome(Decode&& decode) {
    try {
        decode();
    } catch (const Exception& e) {
        return std::string("error: ") + e.what();
    }
    return {};
}

// The blue, green and red bytes of pixel x of a row without alpha.
void OpaqueColor(const PictureHeader& header, const std::uint8_t* row, std::size_t x, std::uint8_t* bgr) {
    if (header.bitsPerPixel == 24) {
        std::memcpy(bgr, row + 3 * x, 3);
        return;
    }
    const std::uint32_t index = GetPackedIndex(row, static_cast<std::int64_t>(x), header.bitsPerPixel);
    const PaletteEntry color = index < header.colors.size() ? header.colors[index] : PaletteEntry{};
    bgr[0] = color.blue;
    bgr[1] = color.green;
    bgr[2] = color.red;
}

// The rows with alpha against the rows without: the same rows when the
// picture has no transparency, else the same colours.
void ExpectAlphaRows(const TKeptRows& opaque, const TKeptRows& alpha) {
    if (!alpha.header_) __builtin_trap();
    if (!alpha.header_->alpha) {
        if (alpha.header_->bitsPerPixel != opaque.header_->bitsPerPixel || alpha.rows != opaque.rows) __builtin_trap();
        return;
    }
    if (alpha.header_->bitsPerPixel != 32 || alpha.rows.size() != opaque.rows.size()) __builtin_trap();
    for (std::size_t y = 0; y < opaque.rows.size(); ++y)
        for (std::size_t x = 0; x < static_cast<std::size_t>(opaque.header_->width); ++x) {
            std::uint8_t bgr[3];
            OpaqueColor(*opaque.header_, opaque.rows[y].data(), x, bgr);
            if (std::memcmp(bgr, alpha.rows[y].data() + 4 * x, 3) != 0) __builtin_trap();
        }
}

void ExpectRows(const TBitmap& bitmap, const std::vector<std::vector<std::uint8_t>>& rows) {
    if (rows.size() != static_cast<std::size_t>(bitmap.Height())) __builtin_trap();
    for (int y = 0; y < bitmap.Height(); ++y)
        if (std::memcmp(bitmap.ScanLine(y), rows[y].data(), rows[y].size()) != 0) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (TooLarge(data, size)) return 0;
    TKeptRows sink;
    const std::string decoded = Outcome([&] { DecodePNG(std::span(data, size), sink); });
    QXPNGLE png;
    const std::string loaded = Outcome([&] {
        TBorrowedMemoryStream stream(data, size);
        png.LoadFromStream(stream);
    });
    if (decoded != loaded || png.Empty() != !sink.header_) __builtin_trap();
    if (!png.Empty() && (png.Width() != sink.header_->width || png.Height() != sink.header_->height))
        __builtin_trap();
    TKeptRows alpha;
    PngDecodeOptions withAlpha;
    withAlpha.alpha = true;
    if (Outcome([&] { DecodePNG(std::span(data, size), alpha, withAlpha); }) != decoded) __builtin_trap();
    if (!decoded.empty() || png.Empty()) return 0;
    ExpectAlphaRows(sink, alpha);
    TBitmap bitmap;
    png.AssignTo(bitmap);
    ExpectRows(bitmap, sink.rows);

    TMemoryStream saved;
    png.SaveToStream(saved);
    saved.Seek(0, SeekOrigin::Begin);
    QXPNGLE reloaded;
    reloaded.LoadFromStream(saved);
    TBitmap copy;
    reloaded.AssignTo(copy);
    if (copy.PixelFormat() != bitmap.PixelFormat()) __builtin_trap();
    ExpectRows(copy, sink.rows);
    return 0;
}
