#include "ZdDIB.h"

#include "AllocationFailure.h"
#include "Bitmap.h"
#include "ZdDIBPlatform.h"

namespace imvexa {

namespace {

// New images keep their pixels in shared-memory mappings, so that drawing
// code can wrap them without copying.
constexpr bool kDefaultUseFMO = true;

}  // namespace

TZdDIB::TZdDIB() {
    auto storage = std::make_unique<TZdInternalDIB>(kDefaultUseFMO);
    storage->CreateDIB(1, 1, kMaxColors, 8);
    internalDIB_ = storage.release();
}

TZdDIB::~TZdDIB() {
    if (internalDIB_ != nullptr) ReleaseInternalDIB();  // whose assertion cannot fail then
}

TZdInternalDIB& TZdDIB::Storage(const char* operation) const {
    ZDDIB_ASSERT(internalDIB_ != nullptr, std::string("TZdDIB.") + operation + ": InternalDIB Should not be Nil");
    return *internalDIB_;
}

TZdInternalDIB& TZdDIB::InternalDIB() const {
    return Storage("InternalDIB");
}

std::unique_ptr<TZdInternalDIB> TZdDIB::NewInternalDIB() const {
    return std::make_unique<TZdInternalDIB>(Storage("GetUseFMO").UseFMO);
}

void TZdDIB::ReleaseInternalDIB() {
    ZDDIB_ASSERT(internalDIB_ != nullptr, "TZDDIB.ReleaseInternalDIB: InternalDIB should not be Nil");
    if (--internalDIB_->RefCount == 0) delete internalDIB_;
    internalDIB_ = nullptr;
}

void TZdDIB::ReplaceInternalDIB(std::unique_ptr<TZdInternalDIB> storage) {
    ReleaseInternalDIB();
    internalDIB_ = storage.release();
    UpdatePaletteModified();
}

void TZdDIB::UniqueDIB() {
    if (Storage("UniqueDIB").RefCount == 1) return;
    ReplaceInternalDIB(internalDIB_->Copy());
}

void TZdDIB::UpdatePaletteModified() {
    ZDDIB_ASSERT(internalDIB_->RefCount == 1, "TZdDIB.UpdatePaletteModified RefCount Must be 1");
    if (!internalDIB_->PaletteChanged) return;
    internalDIB_->PaletteChanged = false;
    PaletteModified = true;
}

void TZdDIB::RecreateBlank(std::int32_t width, std::int32_t height, std::int32_t colorCount, int bitCount) {
    auto storage = NewInternalDIB();
    storage->CreateDIB(width, height, colorCount, bitCount);
    ReplaceInternalDIB(std::move(storage));
    Changed();
}

int TZdDIB::Width() const {
    return Storage("GetWidth").Width;
}

int TZdDIB::Height() const {
    return Storage("GetHeight").Height;
}

void TZdDIB::SetWidth(int value) {
    const TZdInternalDIB& storage = Storage("SetWidth");
    if (value <= 0) throw EZdDIBInvalidDIBPara("TZdDIB.SetWidth: Invalid Width");
    if (value == storage.Width) return;
    RecreateBlank(value, storage.Height, static_cast<std::int32_t>(storage.Info.Header.biClrUsed),
                  storage.Info.Header.biBitCount);
}

void TZdDIB::SetHeight(int value) {
    const TZdInternalDIB& storage = Storage("SetWidth");
    if (value == 0) throw EZdDIBInvalidDIBPara("TZdDIB.SetWidth: Invalid Height");
    if (value == storage.Height) return;
    RecreateBlank(storage.Width, value, static_cast<std::int32_t>(storage.Info.Header.biClrUsed),
                  storage.Info.Header.biBitCount);
}

int TZdDIB::BitCount() const {
    return Storage("GetBitCount").Info.Header.biBitCount;
}

void TZdDIB::SetBitCount(int value) {
    const TZdInternalDIB& storage = Storage("SetBitCount");
    if (value != 1 && value != 4 && value != 8 && value != 24)
        throw EZdDIBInvalidDIBPara("TZdDIB.SetBitCount: Invalid BitCount");
    if (value == storage.Info.Header.biBitCount) return;
    RecreateBlank(storage.Width, storage.Height, value == 24 ? 0 : 1 << value, value);
}

TZdPixelFormat TZdDIB::PixelFormat() const {
    return Storage("GetPixelFormat").PixelFormat();
}

bool TZdDIB::UseFMO() const {
    return Storage("GetUseFMO").UseFMO;
}

void TZdDIB::Assign(const TGraphic* source) {
    if (source == nullptr) {
        RecreateBlank(1, 1, kMaxColors, 8);
    } else if (const auto* dib = dynamic_cast<const TZdDIB*>(source)) {
        if (dib == this) return;
        ReleaseInternalDIB();
        internalDIB_ = dib->internalDIB_;
        ++internalDIB_->RefCount;
        MonoKeyColor = dib->MonoKeyColor;
        ConvertMode = dib->ConvertMode;
        HalftoneMode = dib->HalftoneMode;
        PaletteModified = true;
        Changed();
    } else if (const auto* bitmap = dynamic_cast<const TBitmap*>(source)) {
        AssignFromBitmap(*bitmap);
    } else {
        TZdGraphic::Assign(source);
    }
}

void TZdDIB::AssignFromBitmap(const TBitmap& bitmap) {
    // Direct-colour bitmaps (32 bits per pixel on the device) become 24-bit images.
    const int bitCount = bitmap.PixelFormat() == TPixelFormat::Device ? 24 : bitmap.BitsPerPixel();
    auto storage = NewInternalDIB();
    storage->CreateDIB(bitmap.Width(), bitmap.Height(), 0, bitCount);
    ReadBitmapPixels(bitmap, storage->Info);
    BitmapInfoHeader& header = storage->Info.Header;
    if (header.biClrUsed == 0 && bitCount != 24) header.biClrUsed = 1u << bitCount;
    if (header.biXPelsPerMeter == 0) header.biXPelsPerMeter = kDefaultPelsPerMeter;
    if (header.biYPelsPerMeter == 0) header.biYPelsPerMeter = kDefaultPelsPerMeter;
    ReplaceInternalDIB(std::move(storage));
    Changed();
}

void TZdDIB::AssignTo(TGraphic& destination) const {
    if (auto* dib = dynamic_cast<TZdDIB*>(&destination)) {
        dib->Assign(this);
    } else if (auto* bitmap = dynamic_cast<TBitmap*>(&destination)) {
        AssignToBitmap(*bitmap);
    } else {
        TZdGraphic::AssignTo(destination);
    }
}

void TZdDIB::AssignToBitmap(TBitmap& bitmap) const {
    static constexpr TPixelFormat kBitmapFormats[] = {
        TPixelFormat::Bit1, TPixelFormat::Bit4, TPixelFormat::Bit4,
        TPixelFormat::Bit8, TPixelFormat::Bit8, TPixelFormat::Bit24,
    };
    const TZdPixelFormat format = PixelFormat();  // a storage only ever has zdPf1Bit to zdPf24Bit

    // Emptied first, so that changing the format converts no old pixels.
    bitmap.SetSize(0, 0);
    bitmap.SetPixelFormat(kBitmapFormats[format]);
    // The bitmap gets the image's own colours, not a halftone palette.
    TZdInternalDIB& storage = *internalDIB_;
    if (PaletteHandle palette = storage.GetPalette()) {
        PaletteEntry entries[kMaxColors];
        const int count = GetPaletteHandleEntries(palette, 0, kMaxColors, entries);
        bitmap.SetPalette(CreatePaletteHandle(entries, count));
    } else {
        bitmap.SetColorTable({});  // no palette the bitmap had before
    }
    bitmap.SetSize(storage.Width, storage.Height);
    GuardAllocations([&] { DrawPixelsIntoBitmap(storage.Info, bitmap); });
}

void TZdDIB::LoadFromStream(TStream& stream) {
    auto storage = NewInternalDIB();
    GuardAllocations([&] { storage->LoadFromStream(stream); });
    ReplaceInternalDIB(std::move(storage));
    Changed();
}

void TZdDIB::SaveToStream(TStream& stream) {
    GuardAllocations([&] { Storage("SaveToStream").SaveToStream(stream); });
}

void TZdDIB::ReportProgress(int total, const std::string& message,
                            const std::function<void(const ProgressStep& step)>& work) {
    const Rect rect{0, 0, Width(), Height()};
    Progress(ProgressStage::Starting, 0, false, rect, message);
    int count = 0;
    const ProgressStep step = [&] {
        ++count;
        if (count < total) Progress(ProgressStage::Running, count * 100 / total, false, rect, message);
    };
    try {
        work(step);
    } catch (...) {
        Progress(ProgressStage::Ending, 100, true, rect, message);
        throw;
    }
    Progress(ProgressStage::Ending, 100, true, rect, message);
}

}  // namespace imvexa
