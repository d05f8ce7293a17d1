// QXPNGLE as a graphic: its internal bitmap, sizes, palette and assignment.
// The reader and the writer are in QXPNGLRead.cpp and QXPNGLWrite.cpp.
#include "QXPNGL.h"

#include "AllocationFailure.h"
#include "QXPNGLCodec.h"

namespace imvexa {

QXPNGLE::QXPNGLE() = default;

QXPNGLE::~QXPNGLE() = default;

TBitmap& QXPNGLE::EnsureBitmap() {
    if (!bitmap_) bitmap_ = std::make_unique<TBitmap>();
    return *bitmap_;
}

int QXPNGLE::Width() const {
    return bitmap_ ? bitmap_->Width() : 0;
}

int QXPNGLE::Height() const {
    return bitmap_ ? bitmap_->Height() : 0;
}

void QXPNGLE::SetWidth(int value) {
    if (bitmap_) bitmap_->SetWidth(value);
}

void QXPNGLE::SetHeight(int value) {
    if (bitmap_) bitmap_->SetHeight(value);
}

PaletteHandle QXPNGLE::Palette() {
    return bitmap_ ? bitmap_->Palette() : nullptr;
}

void QXPNGLE::SetPalette(PaletteHandle palette) {
    if (bitmap_)
        bitmap_->SetPalette(palette);
    else
        DeletePaletteHandle(palette);
}

void QXPNGLE::LoadFromStream(TStream& stream) {
    GuardAllocations([&] { png::ReadPng(stream, bitmap_); });
}

void QXPNGLE::SaveToStream(TStream& stream) {
    if (bitmap_) GuardAllocations([&] { png::WritePng(*bitmap_, stream); });
}

void QXPNGLE::Assign(const TGraphic* source) {
    if (source == nullptr) {
        bitmap_.reset();
        return;
    }
    if (const auto* png = dynamic_cast<const QXPNGLE*>(source)) {
        if (png == this) return;
        if (png->bitmap_)
            EnsureBitmap().Assign(png->bitmap_.get());
        else
            bitmap_ = std::make_unique<TBitmap>();  // a copy of nothing: an empty bitmap, yet not an empty graphic
        return;
    }
    if (const auto* bitmap = dynamic_cast<const TBitmap*>(source)) {
        switch (bitmap->PixelFormat()) {
            case TPixelFormat::Bit1:
            case TPixelFormat::Bit4:
            case TPixelFormat::Bit8:
            case TPixelFormat::Bit24:
                EnsureBitmap().Assign(bitmap);
                return;
            case TPixelFormat::Device:
                break;
        }
        TBitmap converted;
        converted.Assign(bitmap);
        converted.SetPixelFormat(TPixelFormat::Bit24);
        EnsureBitmap().Assign(&converted);
        return;
    }
    TGraphic::Assign(source);
}

void QXPNGLE::AssignTo(TGraphic& destination) const {
    if (dynamic_cast<QXPNGLE*>(&destination) != nullptr)
        destination.Assign(this);
    else if (bitmap_)
        destination.Assign(bitmap_.get());
    else
        TGraphic::AssignTo(destination);
}

}  // namespace imvexa
