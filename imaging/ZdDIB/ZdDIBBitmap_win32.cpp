// The GDI side of the DIB image: pixels in and out of a platform bitmap
// through the screen's device context, and the halftone palettes.
#include <windows.h>

#include <cstring>

#include "RuntimeErrors.h"
#include "ZdDIBHalftonePalette.h"
#include "ZdDIBPlatform.h"

namespace imvexa {

namespace {

HPALETTE ToGdi(PaletteHandle palette) { return reinterpret_cast<HPALETTE>(palette); }

// Selects a palette into a device context for the lifetime of the object.
class SelectedPalette {
public:
    SelectedPalette(HDC dc, PaletteHandle palette) : dc_(dc) {
        if (palette) {
            previous_ = SelectPalette(dc_, ToGdi(palette), TRUE);
            RealizePalette(dc_);
        }
    }
    ~SelectedPalette() {
        if (previous_) SelectPalette(dc_, previous_, TRUE);
    }
    SelectedPalette(const SelectedPalette&) = delete;
    SelectedPalette& operator=(const SelectedPalette&) = delete;

private:
    HDC dc_;
    HPALETTE previous_ = nullptr;
};

class ScreenDC {
public:
    ScreenDC() : dc_(GetDC(nullptr)) {
        if (!dc_) throw EOutOfResources("Cannot Get Screen DC");
    }
    ~ScreenDC() { ReleaseDC(nullptr, dc_); }
    ScreenDC(const ScreenDC&) = delete;
    ScreenDC& operator=(const ScreenDC&) = delete;
    operator HDC() const { return dc_; }

private:
    HDC dc_;
};

PaletteHandle MakeColorHalftonePalette() {
    return CreatePaletteHandle(kHalftoneColors.data(), static_cast<int>(kHalftoneColors.size()));
}

PaletteHandle MakeBlackWhitePalette() {
    return CreatePaletteHandle(kBlackWhiteColors.data(), static_cast<int>(kBlackWhiteColors.size()));
}

// A palette made once per process on first use and deleted at module end.
class CachedPalette {
public:
    explicit CachedPalette(PaletteHandle (*make)()) : handle_(make()) {
        if (!handle_) throw EOutOfResources("TZdDIB.GetPalette: Cannot Make Palette(1)");
    }
    ~CachedPalette() { DeletePaletteHandle(handle_); }
    CachedPalette(const CachedPalette&) = delete;
    CachedPalette& operator=(const CachedPalette&) = delete;
    PaletteHandle Handle() const { return handle_; }

private:
    PaletteHandle handle_;
};

}  // namespace

void ReadBitmapPixels(const TBitmap& bitmap, TZdDIBInfo& info) {
    ScreenDC screen;
    SelectedPalette palette(screen, const_cast<TBitmap&>(bitmap).Palette());
    GetDIBits(screen, bitmap.Handle(), 0, static_cast<UINT>(bitmap.Height()), info.Bits,
              static_cast<BITMAPINFO*>(info.BitmapInfo()), DIB_RGB_COLORS);
}

void DrawPixelsIntoBitmap(const TZdDIBInfo& info, TBitmap& bitmap) {
    const int width = info.Header.biWidth;
    const int height = info.Header.biHeight < 0 ? -info.Header.biHeight : info.Header.biHeight;
    // GDI leaves the pixels that RLE codes skip as they were; they become
    // index 0, as in the library's own expansion.
    if (info.Header.biCompression != kBiRgb)
        for (int y = 0; y < bitmap.Height(); ++y)
            std::memset(bitmap.ScanLine(y), 0, static_cast<std::size_t>(bitmap.Stride()));
    StretchDIBits(bitmap.Canvas(), 0, 0, width, height, 0, 0, width, height, info.Bits,
                  static_cast<const BITMAPINFO*>(info.BitmapInfo()), DIB_RGB_COLORS, SRCCOPY);
    GdiFlush();
}

PaletteHandle HalftonePalette(int halftoneMode) {
    if (halftoneMode == 1) {
        static const CachedPalette color(MakeColorHalftonePalette);
        return color.Handle();
    }
    if (halftoneMode == 2) {
        static const CachedPalette blackWhite(MakeBlackWhitePalette);
        return blackWhite.Handle();
    }
    return nullptr;
}

}  // namespace imvexa
