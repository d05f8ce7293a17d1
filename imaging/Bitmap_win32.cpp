// The Windows-only face of TBitmap: its canvas and its GDI handle.
#include "BitmapSurface.h"
#include "RuntimeErrors.h"

namespace imvexa {

HDC TBitmap::Canvas() {
    if (!surface_) return nullptr;  // an empty bitmap has nothing to draw on
    if (!surface_->dc) {
        HDC dc = CreateCompatibleDC(nullptr);
        if (!dc) throw EOutOfResources("TBitmap: Cannot Create Memory DC");
        surface_->previous = SelectObject(dc, surface_->bitmap);
        surface_->dc = dc;
    }
    return surface_->dc;
}

HBITMAP TBitmap::Handle() const { return surface_ ? surface_->bitmap : nullptr; }

HBITMAP TBitmap::ReleaseHandle() {
    if (!surface_) return nullptr;
    if (surface_->dc) {
        GdiFlush();
        SelectObject(surface_->dc, surface_->previous);
        DeleteDC(surface_->dc);
        surface_->dc = nullptr;
    }
    HBITMAP handle = surface_->bitmap;
    surface_->bitmap = nullptr;
    surface_.reset();
    width_ = height_ = 0;
    return handle;
}

}  // namespace imvexa
