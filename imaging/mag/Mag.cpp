// TMAGImage as a graphic: its shared data, internal bitmap, sizes, palette,
// assignment and stored form. Reading and writing the file format are in
// MagRead.cpp and MagWrite.cpp.
#include "Mag.h"

#include <algorithm>

#include "AllocationFailure.h"
#include "BitmapRows.h"
#include "MagRows.h"
#include "MagWrite.h"
#include "PixelLimits.h"

namespace imvexa {

namespace {

constexpr std::int64_t kLastCoordinate = 65535;
// No MAG file of a picture within the pixel limits comes near this size.
constexpr std::int64_t kMaxFileBytes = 2 * kMaxPixelBytes;

std::int64_t RoundUpToFlagBytes(std::int64_t width, int colorMode) {
    const int u = MagFlagBytePixels(colorMode);
    return (std::max<std::int64_t>(width, 0) + u - 1) / u * u;
}

// Reads count bytes of a MAG file, refusing a count beyond what the stream holds.
std::vector<std::uint8_t> ReadFileBytes(TStream& stream, std::int64_t count) {
    if (count > stream.Size() - stream.Position()) throw EReadError("Stream read error");
    if (count > kMaxFileBytes) throw EMagError("file is too large");
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(std::max<std::int64_t>(count, 0)));
    stream.ReadBuffer(bytes.data(), bytes.size());
    return bytes;
}

// Brings a copied picture to a depth that MAG stores (4 bits from 1 or 4, 8
// from any other) and widens it to whole flag bytes.
void FitForMag(TBitmap& bitmap) {
    const TPixelFormat format = bitmap.PixelFormat();
    const bool sixteenColors = format == TPixelFormat::Bit1 || format == TPixelFormat::Bit4;
    bitmap.SetPixelFormat(sixteenColors ? TPixelFormat::Bit4 : TPixelFormat::Bit8);
    bitmap.SetWidth(static_cast<int>(RoundUpToFlagBytes(bitmap.Width(), sixteenColors ? 0 : 1)));
}

TMagData MagDataOf(const MagLayout& layout, std::vector<std::uint8_t> bytes) {
    TMagData data;
    data.FileBytes = std::move(bytes);
    data.LeadIn = layout.leadIn;
    data.Header = layout.headerBytes;
    data.Width = layout.width;
    data.Height = layout.height;
    return data;
}

std::unique_ptr<TBitmap> BlankBitmap() {
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetPixelFormat(TPixelFormat::Bit4);
    bitmap->SetWidth(8);
    return bitmap;
}

}  // namespace

TMAGImage::TMAGImage() : data_(std::make_shared<TMagData>()) {
    ResetProperties();
}

TMAGImage::~TMAGImage() = default;

void TMAGImage::ResetProperties() {
    Properties = MagProperties{};
}

TBitmap& TMAGImage::EnsureBitmap() {
    // File bytes never come without a bitmap (loading and encoding make one,
    // assignment copies it), so a missing bitmap is a blank one.
    if (!bitmap_) bitmap_ = BlankBitmap();
    return *bitmap_;
}

int TMAGImage::Width() const {
    return bitmap_ ? bitmap_->Width() : data_->Width;
}

int TMAGImage::Height() const {
    return bitmap_ ? bitmap_->Height() : data_->Height;
}

void TMAGImage::SetWidth(int value) {
    const std::int64_t width = RoundUpToFlagBytes(value, ColorMode());
    if (Properties.LeftX + width > kLastCoordinate) throw EInvalidMagOperation("range over");
    EnsureBitmap().SetWidth(static_cast<int>(width));
    Changed();
}

void TMAGImage::SetHeight(int value) {
    if (Properties.TopY + std::int64_t{value} > kLastCoordinate) throw EInvalidMagOperation("range over");
    EnsureBitmap().SetHeight(value);
    Changed();
}

bool TMAGImage::Empty() const {
    if (data_->HasFileBytes()) return false;
    return !bitmap_ || bitmap_->Empty();
}

PaletteHandle TMAGImage::Palette() {
    return bitmap_ ? bitmap_->Palette() : nullptr;
}

void TMAGImage::SetPalette(PaletteHandle palette) {
    EnsureBitmap().SetPalette(palette);
    PaletteModified = true;
    Changed();
}

void TMAGImage::LoadFromStream(TStream& stream) {
    GuardAllocations([&] { LoadBytes(ReadFileBytes(stream, stream.Size() - stream.Position())); });
}

void TMAGImage::LoadBytes(std::vector<std::uint8_t> bytes) {
    MagLayout layout = ReadMagLayout(bytes, TPictureHolding::Whole);
    auto bitmap = std::make_unique<TBitmap>();
    TBitmapRows rows(*bitmap);
    SendMagRows(bytes, layout, rows);
    data_ = std::make_shared<const TMagData>(MagDataOf(layout, std::move(bytes)));
    bitmap_ = std::move(bitmap);
    Properties = std::move(layout.properties);
    PaletteModified = true;
    Changed();
}

void TMAGImage::Encode() {
    if (!bitmap_) throw EInvalidMagOperation("not have DIB");
    data_ = std::make_shared<TMagData>(EncodeMagFile(*bitmap_, Properties));
    Modified = false;
}

void TMAGImage::SaveToStream(TStream& stream) {
    GuardAllocations([&] {
        if (!data_->HasFileBytes() || Modified) Encode();
        stream.WriteBuffer(data_->FileBytes.data(), data_->FileBytes.size());
    });
}

void TMAGImage::ReadData(TStream& stream) {
    GuardAllocations([&] {
        std::uint8_t size[4];
        stream.ReadBuffer(size, sizeof size);
        const std::uint32_t count =
            static_cast<std::uint32_t>(size[0] | size[1] << 8 | size[2] << 16) | std::uint32_t{size[3]} << 24;
        LoadBytes(ReadFileBytes(stream, count));
    });
}

void TMAGImage::WriteData(TStream& stream) {
    GuardAllocations([&] {
        if (!data_->HasFileBytes() || Modified) Encode();
        const auto count = static_cast<std::uint32_t>(data_->FileBytes.size());
        const std::uint8_t size[4] = {static_cast<std::uint8_t>(count), static_cast<std::uint8_t>(count >> 8),
                                      static_cast<std::uint8_t>(count >> 16), static_cast<std::uint8_t>(count >> 24)};
        stream.WriteBuffer(size, sizeof size);
        stream.WriteBuffer(data_->FileBytes.data(), data_->FileBytes.size());
    });
}

void TMAGImage::Assign(const TGraphic* source) {
    if (source == nullptr) {
        TGraphic::Assign(source);
        return;
    }
    if (const auto* mag = dynamic_cast<const TMAGImage*>(source)) {
        // A copy of nothing leaves no bitmap: the shared data is then the picture.
        std::unique_ptr<TBitmap> bitmap;
        if (mag->bitmap_) {
            bitmap = std::make_unique<TBitmap>();
            bitmap->Assign(mag->bitmap_.get());
        }
        data_ = mag->data_;
        bitmap_ = std::move(bitmap);
        Properties = mag->Properties;
    } else {
        auto bitmap = std::make_unique<TBitmap>();
        bitmap->Assign(source);
        FitForMag(*bitmap);
        data_ = std::make_shared<TMagData>();
        bitmap_ = std::move(bitmap);
        ResetProperties();
    }
    PaletteModified = true;
    Changed();
}

void TMAGImage::AssignTo(TGraphic& destination) const {
    if (bitmap_) {
        destination.Assign(bitmap_.get());
    } else {
        const auto blank = BlankBitmap();
        destination.Assign(blank.get());
    }
}

bool TMAGImage::Equals(const TGraphic& other) const {
    const auto* mag = dynamic_cast<const TMAGImage*>(&other);
    return mag != nullptr && mag->data_ == data_;
}

}  // namespace imvexa
