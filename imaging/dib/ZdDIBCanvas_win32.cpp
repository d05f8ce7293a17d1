#include "ZdDIBCanvas_win32.h"

#include "RuntimeErrors.h"

namespace imvexa {

namespace {
const char kCannotCreateMemoryDC[] = "TZdDIBCanvas.Create: Cannot Create Memory DC";
}  // namespace

TZdDIBCanvas::TZdDIBCanvas(TZdDIB* image) : image_(image) {
    if (!image || !image->UseFMO()) throw EZdDIBCanvasFailed("TZdDIBCanvas.Create: Cannot Create Canvas");
    image->UniqueDIB();
    gdi_.emplace();
    gdi_->dc.Reset(CreateCompatibleDC(nullptr));
    if (!gdi_->dc) throw EOutOfResources(kCannotCreateMemoryDC);
    SelectImage();
}

void TZdDIBCanvas::SelectImage() {
    HDC dc = gdi_->dc.Get();
    {
        HalftoneModeScope direct(*image_, 0);
        gdi_->palette = win32::SelectedPalette(dc, reinterpret_cast<HPALETTE>(image_->Palette()));
    }
    TZdDIBInfo& info = image_->InternalDIB().Info;
    void* bits = nullptr;
    gdi_->section.Reset(CreateDIBSection(dc, static_cast<BITMAPINFO*>(info.BitmapInfo()), DIB_RGB_COLORS, &bits,
                                         static_cast<HANDLE>(info.MapHandle), 0));
    if (!gdi_->section) throw EOutOfResources(kCannotCreateMemoryDC);
    gdi_->selectedSection = win32::SelectedObject(dc, gdi_->section.Get());
}

TZdDIBCanvas::~TZdDIBCanvas() {
    GdiFlush();
    gdi_.reset();  // the image gets its pixels back before it hears of the change
    try {
        image_->UpdatePaletteModified();
        image_->Changed();
    } catch (...) {
        // A destructor cannot pass a failure on: a change listener that
        // throws, or an image shared again while the canvas drew, ends here.
    }
}

}  // namespace imvexa
