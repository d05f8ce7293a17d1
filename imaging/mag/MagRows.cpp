// The MAG decoder. Every stream position is checked against the file's size
// before it is read, and every copy against the picture.
#include "MagRows.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "AllocationFailure.h"

namespace imvexa {

namespace {

// Raising stays out of line, so that the per-unit code stays small enough to inline.
[[noreturn, gnu::noinline]] void Fail(const char* detail) {
    throw EMagError(detail);
}

// The rows a copy may still read: the one being decoded and the
// kMagCopyRowsBack above it, in a ring.
class RowWindow {
public:
    RowWindow(std::int64_t height, std::size_t rowBytes)
        : rows_(static_cast<std::size_t>(std::min<std::int64_t>(height, kMagCopyRowsBack + 1))),
          rowBytes_(rowBytes),
          bytes_(rows_ * rowBytes) {}

    std::uint8_t* Row(std::size_t y) { return bytes_.data() + y % rows_ * rowBytes_; }

private:
    std::size_t rows_;
    std::size_t rowBytes_;
    std::vector<std::uint8_t> bytes_;
};

// Fills the rows of the picture unit by unit from the three streams.
class UnitDecoder {
public:
    UnitDecoder(std::span<const std::uint8_t> bytes, const MagLayout& layout)
        : bytes_(bytes),
          flagA_(layout.base + std::uint64_t{layout.header.flagAOffset}),
          flagB_(layout.base + std::uint64_t{layout.header.flagBOffset}),
          pixels_(layout.base + std::uint64_t{layout.header.pixelOffset}),
          flagLine_(static_cast<std::size_t>(layout.width / MagFlagBytePixels(layout.colorMode)), 0),
          window_(layout.height, 4 * flagLine_.size()) {}

    // Decodes row y, the rows above it already decoded, and returns it.
    const std::uint8_t* Decode(std::size_t y) {
        row_ = window_.Row(y);
        for (std::size_t f = 1; f < kMagCopyPositions.size(); ++f) {
            const auto dy = static_cast<std::size_t>(kMagCopyPositions[f].dy);
            copyRows_[f] = y >= dy ? window_.Row(y - dy) : nullptr;
        }
        for (std::size_t x = 0; x < flagLine_.size(); ++x) {
            // ReadMagLayout made sure that flag A holds a bit for every position.
            if ((bytes_[flagA_] & mask_) != 0) flagLine_[x] ^= NextFlagB();
            mask_ = static_cast<std::uint8_t>(mask_ >> 1);
            if (mask_ == 0) {
                mask_ = 0x80;
                ++flagA_;
            }
            PutUnit(2 * x, flagLine_[x] >> 4);
            PutUnit(2 * x + 1, flagLine_[x] & 0x0F);
        }
        return row_;
    }

private:
    std::uint8_t NextFlagB() {
        if (flagB_ >= bytes_.size()) Fail("flag B runs past the end of the file");
        return bytes_[flagB_++];
    }

    void PutUnit(std::size_t unit, int nibble) {
        std::uint8_t* to = row_ + 2 * unit;
        if (nibble == 0) {
            if (pixels_ + 2 > bytes_.size()) Fail("pixel data runs past the end of the file");
            std::memcpy(to, bytes_.data() + pixels_, 2);
            pixels_ += 2;
            return;
        }
        const std::uint8_t* from = copyRows_[static_cast<std::size_t>(nibble)];
        const auto dx = static_cast<std::size_t>(kMagCopyPositions[static_cast<std::size_t>(nibble)].dx);
        if (from == nullptr) Fail("copy from above the first row");
        if (unit < dx) Fail("copy from left of the first unit");
        std::memcpy(to, from + 2 * (unit - dx), 2);
    }

    std::span<const std::uint8_t> bytes_;
    std::uint64_t flagA_;
    std::uint64_t flagB_;
    std::uint64_t pixels_;
    std::uint8_t mask_ = 0x80;
    // The flag bytes of the row: each row's flag B bytes change them by XOR.
    std::vector<std::uint8_t> flagLine_;
    RowWindow window_;
    // The row being decoded, and for each copy nibble the row it copies from
    // (null above the first row).
    std::uint8_t* row_ = nullptr;
    std::array<const std::uint8_t*, kMagCopyPositions.size()> copyRows_{};
};

}  // namespace

void SendMagRows(std::span<const std::uint8_t> bytes, const MagLayout& layout, TRowSink& sink) {
    PictureHeader picture;
    picture.width = layout.width;
    picture.height = layout.height;
    picture.bitsPerPixel = layout.colorMode == 1 ? 8 : 4;
    picture.colors = ReadMagPalette(bytes, layout);
    UnitDecoder decoder(bytes, layout);
    sink.Begin(picture);
    for (std::int32_t y = 0; y < layout.height; ++y) sink.Row(decoder.Decode(static_cast<std::size_t>(y)));
}

void DecodeMAG(std::span<const std::uint8_t> bytes, TRowSink& sink) {
    GuardAllocations([&] { SendMagRows(bytes, ReadMagLayout(bytes, TPictureHolding::Rows), sink); });
}

}  // namespace imvexa
