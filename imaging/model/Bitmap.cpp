// The portable logic of the platform bitmap: sizing, pixel-format conversion,
// colour table and palette, row access and copies. The memory itself comes
// from BitmapSurface_*.cpp.
#include "Bitmap.h"

#include <algorithm>
#include <cstring>

#include "AllocationFailure.h"
#include "BitmapSurface.h"
#include "PackedPixels.h"
#include "PixelLimits.h"
#include "RuntimeErrors.h"
#include "ZdDIB.h"

namespace imvexa {

namespace {

constexpr PaletteEntry kBlack{0, 0, 0, 0};
constexpr PaletteEntry kWhite{255, 255, 255, 0};

// The colour table a palette format gets when it has none that fits: black
// and white; the sixteen standard colours; a 3-3-2 colour cube.
std::vector<PaletteEntry> DefaultColorTable(int bitsPerPixel) {
    if (bitsPerPixel == 1) return {kBlack, kWhite};
    if (bitsPerPixel == 4) {
        return {{0, 0, 0, 0},       {128, 0, 0, 0},   {0, 128, 0, 0},   {128, 128, 0, 0},
                {0, 0, 128, 0},     {128, 0, 128, 0}, {0, 128, 128, 0}, {192, 192, 192, 0},
                {128, 128, 128, 0}, {255, 0, 0, 0},   {0, 255, 0, 0},   {255, 255, 0, 0},
                {0, 0, 255, 0},     {255, 0, 255, 0}, {0, 255, 255, 0}, {255, 255, 255, 0}};
    }
    std::vector<PaletteEntry> cube(256);
    for (int i = 0; i < 256; ++i) {
        cube[i] = PaletteEntry{static_cast<std::uint8_t>((i >> 5) * 255 / 7),
                               static_cast<std::uint8_t>((i >> 2 & 7) * 255 / 7),
                               static_cast<std::uint8_t>((i & 3) * 255 / 3), 0};
    }
    return cube;
}

bool SameColor(const PaletteEntry& a, const PaletteEntry& b) {
    return a.red == b.red && a.green == b.green && a.blue == b.blue;
}

bool SameColors(const std::vector<PaletteEntry>& a, const std::vector<PaletteEntry>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), SameColor);
}

// The index of the table colour nearest to a colour (the first of equals).
// Remembers the last answer: pictures repeat colours from pixel to pixel.
class NearestColor {
public:
    explicit NearestColor(const std::vector<PaletteEntry>& table) : table_(table) {}

    std::uint32_t operator()(const PaletteEntry& color) {
        if (known_ && SameColor(color, last_)) return lastIndex_;
        int best = 0;
        int bestDistance = 1 << 30;
        for (std::size_t i = 0; i < table_.size(); ++i) {
            const int dr = color.red - table_[i].red;
            const int dg = color.green - table_[i].green;
            const int db = color.blue - table_[i].blue;
            const int distance = dr * dr + dg * dg + db * db;
            if (distance < bestDistance) {
                bestDistance = distance;
                best = static_cast<int>(i);
            }
        }
        known_ = true;
        last_ = color;
        lastIndex_ = static_cast<std::uint32_t>(best);
        return lastIndex_;
    }

private:
    const std::vector<PaletteEntry>& table_;
    bool known_ = false;
    PaletteEntry last_;
    std::uint32_t lastIndex_ = 0;
};

PaletteEntry PixelColor(const std::uint8_t* row, int x, int bitsPerPixel, const std::vector<PaletteEntry>& table) {
    if (bitsPerPixel >= 24) {
        const std::uint8_t* pixel = row + static_cast<std::int64_t>(x) * (bitsPerPixel / 8);
        return PaletteEntry{pixel[2], pixel[1], pixel[0], 0};
    }
    const std::uint32_t index = GetPackedIndex(row, x, bitsPerPixel);
    return index < table.size() ? table[index] : kBlack;
}

// Pixel rows being filled: the target of a size or format change.
struct PixelTarget {
    std::uint8_t* bits;
    std::int64_t stride;
    int width;
    int height;
    int bitsPerPixel;
    const std::vector<PaletteEntry>& colors;
};

void PutColor(const PixelTarget& target, std::uint8_t* row, int x, const PaletteEntry& color, NearestColor& nearest) {
    if (target.bitsPerPixel < 24) {
        SetPackedIndex(row, x, target.bitsPerPixel, nearest(color));
        return;
    }
    std::uint8_t* pixel = row + static_cast<std::int64_t>(x) * (target.bitsPerPixel / 8);
    pixel[0] = color.blue;
    pixel[1] = color.green;
    pixel[2] = color.red;
}

// One row of white pixels in the target's encoding.
std::vector<std::uint8_t> WhiteRow(const PixelTarget& target, NearestColor& nearest) {
    std::vector<std::uint8_t> row(static_cast<std::size_t>(target.stride), 0);
    for (int x = 0; x < target.width; ++x) PutColor(target, row.data(), x, kWhite, nearest);
    return row;
}

// Fills the target with the source's picture where the two overlap and with
// white elsewhere. Rows start as a copy of a white row; rows of the same
// encoding are then copied as they are.
void PaintPicture(const TBitmap& source, const PixelTarget& target) {
    const int keptWidth = std::min(source.Width(), target.width);
    const int keptHeight = std::min(source.Height(), target.height);
    const int sourceBits = source.BitsPerPixel();
    const bool sameEncoding =
        sourceBits == target.bitsPerPixel && (sourceBits > 8 || SameColors(source.ColorTable(), target.colors));
    NearestColor nearest(target.colors);
    const std::vector<std::uint8_t> white = WhiteRow(target, nearest);
    const auto keptBytes = static_cast<std::size_t>((std::int64_t{keptWidth} * sourceBits + 7) / 8);
    // The pixels that share the last copied byte with kept ones, beyond them.
    const int partialEnd = std::min<int>(target.width, static_cast<int>(keptBytes * 8 / std::max(sourceBits, 1)));
    for (int y = 0; y < target.height; ++y) {
        std::uint8_t* row = target.bits + y * target.stride;
        std::memcpy(row, white.data(), white.size());
        if (y >= keptHeight) continue;
        const std::uint8_t* from = source.ScanLine(y);
        if (sameEncoding) {
            std::memcpy(row, from, keptBytes);
            for (int x = keptWidth; x < partialEnd; ++x) PutColor(target, row, x, kWhite, nearest);
        } else {
            for (int x = 0; x < keptWidth; ++x)
                PutColor(target, row, x, PixelColor(from, x, sourceBits, source.ColorTable()), nearest);
        }
    }
}

// The colour table a format keeps: for direct colours the palette given (at
// most 256 entries, which the pixels do not use); the given one if it fits
// the palette format, else the format's default table.
std::vector<PaletteEntry> FittingColorTable(std::vector<PaletteEntry> colors, int bitsPerPixel) {
    if (bitsPerPixel > 8) {
        colors.resize(std::min<std::size_t>(colors.size(), 256));
        return colors;
    }
    if (colors.empty() || colors.size() > (std::size_t{1} << bitsPerPixel)) return DefaultColorTable(bitsPerPixel);
    return colors;
}

}  // namespace

int BitsPerPixel(TPixelFormat format) {
    switch (format) {
        case TPixelFormat::Bit1: return 1;
        case TPixelFormat::Bit4: return 4;
        case TPixelFormat::Bit8: return 8;
        case TPixelFormat::Bit24: return 24;
        case TPixelFormat::Device: break;
    }
    return 32;
}

std::int64_t RowStride(std::int32_t width, int bitsPerPixel) {
    return (std::int64_t{width} * bitsPerPixel + 31) / 32 * 4;
}

TBitmap::TBitmap() = default;

TBitmap::~TBitmap() {
    DeletePaletteHandle(palette_);
}

void TBitmap::Rebuild(int width, int height, TPixelFormat format, std::vector<PaletteEntry> colors,
                      const TBitmap& source) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    const int bitsPerPixel = imvexa::BitsPerPixel(format);
    colors = FittingColorTable(std::move(colors), bitsPerPixel);
    std::unique_ptr<Surface> surface;
    if (width > 0 && height > 0) {
        if (!WithinPixelLimits(width, height, RowStride(width, bitsPerPixel)))
            throw EOutOfResources("TBitmap: Cannot Create Bitmap");
        GuardAllocations([&] {
            surface = Surface::Create(width, height, bitsPerPixel, colors);
            PaintPicture(source, PixelTarget{surface->bits, surface->stride, width, height, bitsPerPixel, colors});
        });
    }
    DeletePaletteHandle(palette_);
    palette_ = nullptr;
    surface_ = std::move(surface);
    width_ = width;
    height_ = height;
    format_ = format;
    colors_ = std::move(colors);
    Changed();
}

void TBitmap::SetWidth(int value) {
    SetSize(value, height_);
}

void TBitmap::SetHeight(int value) {
    SetSize(width_, value);
}

void TBitmap::SetSize(int width, int height) {
    if (std::max(width, 0) == width_ && std::max(height, 0) == height_) return;
    Rebuild(width, height, format_, colors_, *this);
}

void TBitmap::SetPixelFormat(TPixelFormat format) {
    if (format == format_) return;
    // The colour table of palette pixels does not become a direct-colour bitmap's palette.
    const bool tableOfOldPixels = BitsPerPixel() <= 8 && imvexa::BitsPerPixel(format) > 8;
    Rebuild(width_, height_, format, tableOfOldPixels ? std::vector<PaletteEntry>{} : colors_, *this);
}

void TBitmap::SetPixelFormat(TPixelFormat format, std::vector<PaletteEntry> colors) {
    Rebuild(width_, height_, format, std::move(colors), *this);
}

void TBitmap::SetColorTable(std::vector<PaletteEntry> colors) {
    const int bitsPerPixel = BitsPerPixel();
    colors.resize(std::min(colors.size(), std::size_t{1} << std::min(bitsPerPixel, 8)));
    colors_ = std::move(colors);
    if (surface_ && bitsPerPixel <= 8) surface_->SetColorTable(colors_);
    DeletePaletteHandle(palette_);
    palette_ = nullptr;
    PaletteModified = true;
    Changed();
}

PaletteHandle TBitmap::Palette() {
    if (palette_ == nullptr && !colors_.empty())
        palette_ = CreatePaletteHandle(colors_.data(), static_cast<int>(colors_.size()));
    return palette_;
}

void TBitmap::SetPalette(PaletteHandle palette) {
    std::vector<PaletteEntry> colors(static_cast<std::size_t>(PaletteHandleSize(palette)));
    colors.resize(
        static_cast<std::size_t>(GetPaletteHandleEntries(palette, 0, static_cast<int>(colors.size()), colors.data())));
    DeletePaletteHandle(palette);
    SetColorTable(std::move(colors));
}

std::uint8_t* TBitmap::ScanLine(int y) {
    IMVEXA_ASSERT(y >= 0 && y < height_, "TBitmap.ScanLine: Row Out of Range", "Bitmap");
    return surface_->bits + y * surface_->stride;
}

const std::uint8_t* TBitmap::ScanLine(int y) const {
    return const_cast<TBitmap*>(this)->ScanLine(y);
}

void TBitmap::LoadFromStream(TStream& stream) {
    TZdDIB dib;
    dib.LoadFromStream(stream);
    Assign(&dib);
}

void TBitmap::SaveToStream(TStream& stream) {
    TZdDIB dib;
    dib.Assign(this);
    dib.SaveToStream(stream);
}

void TBitmap::Assign(const TGraphic* source) {
    const auto* bitmap = dynamic_cast<const TBitmap*>(source);
    if (bitmap == nullptr) {
        TGraphic::Assign(source);
    } else if (bitmap != this) {
        Rebuild(bitmap->width_, bitmap->height_, bitmap->format_, bitmap->colors_, *bitmap);
    }
}

void TBitmap::AssignTo(TGraphic& destination) const {
    if (dynamic_cast<TBitmap*>(&destination) != nullptr)
        destination.Assign(this);
    else
        TGraphic::AssignTo(destination);
}

}  // namespace imvexa
