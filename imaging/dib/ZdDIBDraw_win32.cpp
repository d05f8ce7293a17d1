// Drawing a DIB image onto a device context: directly with one stretch, or
// through a colour or black-and-white halftone of the target size.
#include <cstdlib>

#include "Owners.h"
#include "ZdDIB.h"
#include "ZdDIBCanvas_win32.h"

namespace imvexa {

namespace {

void DrawDirect(TZdDIB& image, HDC dc, const Rect& rect, DWORD copyMode) {
    const win32::SelectedPalette palette(dc, reinterpret_cast<HPALETTE>(image.Palette()));
    const int oldMode = SetStretchBltMode(dc, COLORONCOLOR);
    const TZdInternalDIB& storage = image.InternalDIB();
    StretchDIBits(dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, 0, 0, storage.Width,
                  storage.Height, storage.Info.Bits, static_cast<const BITMAPINFO*>(storage.Info.BitmapInfo()),
                  DIB_RGB_COLORS, copyMode);
    SetStretchBltMode(dc, oldMode);
}

// A copy of the image's own palette, or null when it has none.
PaletteHandle CopyOfPalette(TZdDIB& image) {
    PaletteEntry entries[kMaxColors];
    const int count = GetPaletteHandleEntries(image.Palette(), 0, kMaxColors, entries);
    return count ? CreatePaletteHandle(entries, count) : nullptr;
}

void DrawHalftone(TZdDIB& image, HDC dc, const Rect& rect, DWORD copyMode) {
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (width == 0 || height == 0) return;
    const std::uint8_t mode = image.HalftoneMode;
    TZdDIB halftone;
    {
        HalftoneModeScope direct(image, 0);
        halftone.SetWidth(std::abs(width));
        halftone.SetHeight(std::abs(height));
        halftone.SetBitCount(image.BitCount());
        if (PaletteHandle palette = CopyOfPalette(image)) halftone.SetPalette(palette);
        TZdDIBCanvas canvas(&halftone);
        DrawDirect(image, canvas.Handle(), Rect{0, 0, width, height}, SRCCOPY);
    }
    halftone.SetPixelFormat(mode == 1 ? zdPfHalftone : zdPfHalftoneBW);
    DrawDirect(halftone, dc, rect, copyMode);
}

}  // namespace

void TZdDIB::Draw(HDC dc, const Rect& rect, DWORD copyMode) {
    if (!internalDIB_) return;
    if (HalftoneMode == 0)
        DrawDirect(*this, dc, rect, copyMode);
    else if (HalftoneMode == 1 || HalftoneMode == 2)
        DrawHalftone(*this, dc, rect, copyMode);
}

}  // namespace imvexa
