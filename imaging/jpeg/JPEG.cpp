#include "JPEG.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "AllocationFailure.h"
#include "BitmapRows.h"
#include "JPEGDecode.h"
#include "PixelLimits.h"

namespace imvexa {

namespace {

// The message text is Japanese in the system's code page: these are the
// Shift_JIS bytes of "JPEG イメージのサイズは変更できません".
constexpr const char* kCannotResize =
    "JPEG \x83\x43\x83\x81\x81\x5B\x83\x57\x82\xCC\x83\x54\x83\x43\x83\x59\x82\xCD\x95\xCF\x8D\x58\x82\xC5\x82\xAB"
    "\x82\xDC\x82\xB9\x82\xF1";

// Every byte from the stream's position on: as many as the stream tells,
// then whatever more it gives.
std::vector<std::uint8_t> ReadToEnd(TStream& stream) {
    const std::int64_t told = std::clamp<std::int64_t>(stream.Size() - stream.Position(), 0, PTRDIFF_MAX);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(told));
    bytes.resize(stream.Read(bytes.data(), bytes.size()));
    std::uint8_t block[4096];
    while (const std::size_t read = stream.Read(block, sizeof block)) bytes.insert(bytes.end(), block, block + read);
    return bytes;
}

}  // namespace

TJPEGImage::TJPEGImage() : data_(std::make_shared<TJPEGData>()) {}

TJPEGImage::~TJPEGImage() {
    DeletePaletteHandle(palette_);
}

JPEGSize TJPEGImage::OutputSize() const {
    if (data_->Bytes.empty()) return JPEGSize{};
    if (settings_.Scale == TJPEGScale::FullSize) return JPEGSize{data_->Width, data_->Height};
    return JPEGOutputOf(data_->Bytes, settings_).size;
}

int TJPEGImage::Width() const {
    return OutputSize().width;
}

int TJPEGImage::Height() const {
    return OutputSize().height;
}

void TJPEGImage::SetWidth(int) {
    throw EInvalidGraphicOperation(kCannotResize);
}

void TJPEGImage::SetHeight(int) {
    throw EInvalidGraphicOperation(kCannotResize);
}

void TJPEGImage::SetPalette(PaletteHandle palette) {
    if (palette == palette_) return;
    DeletePaletteHandle(palette_);
    palette_ = palette;
    PaletteModified = true;
}

void TJPEGImage::LoadFromStream(TStream& stream) {
    auto data = std::make_shared<TJPEGData>();
    data->Bytes = GuardAllocations([&] { return ReadToEnd(stream); });
    JPEGHeader header;
    if (!data->Bytes.empty()) header = ReadJPEGHeader(data->Bytes);
    data->Width = header.size.width;
    data->Height = header.size.height;
    data->Grayscale = header.grayscale;
    data_ = std::move(data);
    settings_.ProgressiveEncoding = header.multipleScans;
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
    data_ = jpeg->data_;
    settings_ = jpeg->settings_;
    Changed();
}

void TJPEGImage::AssignTo(TGraphic& destination) const {
    if (auto* bitmap = dynamic_cast<TBitmap*>(&destination)) {
        DecodeInto(*bitmap);
    } else if (dynamic_cast<TJPEGImage*>(&destination) != nullptr) {
        destination.Assign(this);
    } else {
        TGraphic::AssignTo(destination);
    }
}

void TJPEGImage::SetSettings(const TJPEGSettings& settings) {
    settings_ = settings;
    Changed();
}

void TJPEGImage::DecodeInto(TBitmap& bitmap) const {
    // Held here, so that a progress listener that loads another file cannot
    // free the bytes being decoded.
    const std::shared_ptr<const TJPEGData> data = data_;
    // The bitmap is what decoding allocates: a picture it cannot hold is
    // refused before any work.
    const JPEGOutput output = JPEGOutputOf(data->Bytes, settings_);
    if (!WithinPixelLimits(output.size.width, output.size.height, RowStride(output.size.width, output.bitsPerPixel))) {
        throw EJPEG("JPEG image too large: " + std::to_string(data->Width) + " x " + std::to_string(data->Height) +
                    " pixels");
    }
    // Emptied first, so that a failure before the first row leaves no old picture.
    bitmap.SetSize(0, 0);
    bitmap.SetPixelFormat(PixelFormatForBits(output.bitsPerPixel), {});
    TBitmapRows rows(bitmap);
    // Telling listeners about progress does not change the graphic.
    auto* self = const_cast<TJPEGImage*>(this);
    DecodeJPEG(data->Bytes, settings_, rows, [self](ProgressStage stage, int percent) {
        self->Progress(stage, percent, false, Rect{}, std::string());
    });
}

}  // namespace imvexa
