#include "JPEG.h"

#include <atomic>
#include <cstdio>
#include <tuple>

#include "JPEGDecode.h"

namespace imvexa {

namespace {

std::atomic<TJPEGPixelFormat> defaultPixelFormat{TJPEGPixelFormat::Bit24};

// The message texts are Japanese in the system's code page: these are their
// Shift_JIS bytes ("JPEG エラー #%d", "JPEG イメージのサイズは変更できません").
constexpr const char* kLibraryErrorFormat = "JPEG \x83\x47\x83\x89\x81\x5B #%d";
constexpr const char* kCannotResize =
    "JPEG \x83\x43\x83\x81\x81\x5B\x83\x57\x82\xCC\x83\x54\x83\x43\x83\x59\x82\xCD\x95\xCF\x8D\x58\x82\xC5\x82\xAB"
    "\x82\xDC\x82\xB9\x82\xF1";

bool SameDecoding(const TJPEGSettings& a, const TJPEGSettings& b) {
    return std::tie(a.Grayscale, a.Performance, a.PixelFormat, a.ProgressiveDisplay, a.Scale, a.Smoothing) ==
           std::tie(b.Grayscale, b.Performance, b.PixelFormat, b.ProgressiveDisplay, b.Scale, b.Smoothing);
}

std::vector<std::uint8_t> ReadToEnd(TStream& stream) {
    constexpr std::size_t kBlock = 1 << 16;
    std::vector<std::uint8_t> bytes;
    std::size_t filled = 0;
    for (;;) {
        bytes.resize(filled + kBlock);
        const std::size_t read = stream.Read(bytes.data() + filled, kBlock);
        filled += read;
        if (read == 0) break;
    }
    bytes.resize(filled);
    return bytes;
}

}  // namespace

EJPEG EJPEG::FromLibraryCode(int code) {
    char message[64];
    std::snprintf(message, sizeof message, kLibraryErrorFormat, code);
    return EJPEG(message);
}

TJPEGPixelFormat DefaultJPEGPixelFormat() {
    return defaultPixelFormat.load();
}

void SetDefaultJPEGPixelFormat(TJPEGPixelFormat format) {
    defaultPixelFormat.store(format);
}

TJPEGPixelFormat JPEGPixelFormatForDisplay(int bitsPerPixel, int planes) {
    return bitsPerPixel * planes <= 8 ? TJPEGPixelFormat::Bit8 : TJPEGPixelFormat::Bit24;
}

TJPEGImage::TJPEGImage() : data_(std::make_shared<TJPEGData>()) {}

TJPEGImage::~TJPEGImage() {
    DeletePaletteHandle(palette_);
}

JPEGSize TJPEGImage::OutputSize() const {
    if (data_->Bytes.empty()) return JPEGSize{};
    if (settings_.Scale == TJPEGScale::FullSize) return JPEGSize{data_->Width, data_->Height};
    return ScaledJPEGSize(data_->Bytes, settings_.Scale);
}

int TJPEGImage::Width() const {
    return bitmap_ ? bitmap_->Width() : OutputSize().width;
}

int TJPEGImage::Height() const {
    return bitmap_ ? bitmap_->Height() : OutputSize().height;
}

void TJPEGImage::SetWidth(int) {
    throw EInvalidGraphicOperation(kCannotResize);
}

void TJPEGImage::SetHeight(int) {
    throw EInvalidGraphicOperation(kCannotResize);
}

PaletteHandle TJPEGImage::Palette() {
    if (palette_ != nullptr || !bitmap_) return palette_;
    return bitmap_->Palette();
}

void TJPEGImage::SetPalette(PaletteHandle palette) {
    if (palette == palette_) return;
    DeletePaletteHandle(palette_);
    palette_ = palette;
    PaletteModified = true;
}

void TJPEGImage::LoadFromStream(TStream& stream) {
    auto data = std::make_shared<TJPEGData>();
    data->Bytes = ReadToEnd(stream);
    JPEGHeader header;
    if (!data->Bytes.empty()) header = ReadJPEGHeader(data->Bytes);
    data->Width = header.size.width;
    data->Height = header.size.height;
    data->Grayscale = header.grayscale;
    data_ = std::move(data);
    settings_.ProgressiveEncoding = header.multipleScans;
    bitmap_.reset();
    Changed();
}

void TJPEGImage::SaveToStream(TStream& stream) {
    if (!data_->Bytes.empty()) stream.WriteBuffer(data_->Bytes.data(), data_->Bytes.size());
}

void TJPEGImage::Assign(const TGraphic* source) {
    const auto* jpeg = dynamic_cast<const TJPEGImage*>(source);
    if (jpeg == nullptr) {
        TGraphic::Assign(source);
        return;
    }
    if (jpeg == this) return;
    std::unique_ptr<TBitmap> bitmap;
    if (jpeg->bitmap_) {
        bitmap = std::make_unique<TBitmap>();
        bitmap->Assign(jpeg->bitmap_.get());
    }
    data_ = jpeg->data_;
    settings_ = jpeg->settings_;
    bitmap_ = std::move(bitmap);
    Changed();
}

void TJPEGImage::AssignTo(TGraphic& destination) const {
    if (auto* bitmap = dynamic_cast<TBitmap*>(&destination)) {
        // Decoding on first demand fills a cache; the graphic's picture stays the same.
        bitmap->Assign(&const_cast<TJPEGImage*>(this)->DecodedBitmap());
    } else if (dynamic_cast<TJPEGImage*>(&destination) != nullptr) {
        destination.Assign(this);
    } else {
        TGraphic::AssignTo(destination);
    }
}

void TJPEGImage::SetSettings(const TJPEGSettings& settings) {
    const bool decodingChanges = !SameDecoding(settings_, settings);
    settings_ = settings;
    if (!decodingChanges) return;
    bitmap_.reset();
    Changed();
}

TBitmap& TJPEGImage::DecodedBitmap() {
    if (!bitmap_) {
        // Held here, so a progress handler that loads another file cannot free the bytes being decoded.
        const std::shared_ptr<const TJPEGData> data = data_;
        bitmap_ = DecodeJPEG(data->Bytes, settings_, [this](ProgressStage stage, int percent) {
            Progress(stage, percent, false, Rect{}, std::string());
        });
    }
    return *bitmap_;
}

}  // namespace imvexa
