// Hostile PNG files through DecodePNG: decoding must fail cleanly with one
// of the library's exceptions or hand over a well-formed picture (Begin
// once, before any row; every row byte readable). QXPNGLE, which decodes
// through the same function into its bitmap, must come to the same end:
// the same error (with a bitmap of the announced size once the picture was
// announced), or a bitmap holding the same rows. Saving that bitmap and
// reading it back gives the same rows again.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "Bitmap.h"
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
    if (!decoded.empty() || png.Empty()) return 0;
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
