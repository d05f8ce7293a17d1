#include "ZdDIBCanvas_win32.h"

#include "RuntimeErrors.h"

namespace imvexa {

namespace {
const char kCannotCreateMemoryDC[] = "TZdDIBCanvas.Create: Cannot Create Memory DC";
}  // namespace

TZdDIBCanvas::TZdDIBCanvas(TZdDIB* image) : image_(image) {
    if (!image || !image->UseFMO()) throw EZdDIBCanvasFailed("TZdDIBCanvas.Create: Cannot Create Canvas");
    image->UniqueDIB();
    dc_ = CreateCompatibleDC(nullptr);
    if (!dc_) throw EOutOfResources(kCannotCreateMemoryDC);
    try {
        SelectImage();
    } catch (...) {
        Release();
        throw;
    }
}

void TZdDIBCanvas::SelectImage() {
    {
        HalftoneModeScope direct(*image_, 0);
        if (PaletteHandle palette = image_->Palette()) {
            previousPalette_ = SelectPalette(dc_, reinterpret_cast<HPALETTE>(palette), TRUE);
            RealizePalette(dc_);
        }
    }
    TZdDIBInfo& info = image_->InternalDIB().Info;
    void* bits = nullptr;
    section_ = CreateDIBSection(dc_, static_cast<BITMAPINFO*>(info.BitmapInfo()), DIB_RGB_COLORS, &bits,
                                static_cast<HANDLE>(info.MapHandle), 0);
    if (!section_) throw EOutOfResources(kCannotCreateMemoryDC);
    previousBitmap_ = SelectObject(dc_, section_);
}

TZdDIBCanvas::~TZdDIBCanvas() {
    Release();
    try {
        image_->UpdatePaletteModified();
        image_->Changed();
    } catch (...) {
        // A destructor cannot pass a failure on: a change listener that
        // throws, or an image shared again while the canvas drew, ends here.
    }
}

void TZdDIBCanvas::Release() noexcept {
    GdiFlush();
    if (previousBitmap_) SelectObject(dc_, previousBitmap_);
    if (section_) DeleteObject(section_);
    if (previousPalette_) SelectPalette(dc_, previousPalette_, TRUE);
    DeleteDC(dc_);
}

}  // namespace imvexa
