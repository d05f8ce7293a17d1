// The GDI side of the DIB image: pixels in and out of a platform bitmap
// through the screen's device context, and the halftone palettes.
#include <windows.h>

#include <array>
#include <cstring>

#include "RuntimeErrors.h"
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
    constexpr std::array<std::uint8_t, 6> reds{0, 51, 102, 153, 204, 255};
    constexpr std::array<std::uint8_t, 7> greens{0, 43, 85, 128, 171, 214, 255};
    constexpr std::array<std::uint8_t, 5> blues{0, 64, 128, 192, 255};
    std::array<PaletteEntry, 215> entries{};
    for (std::size_t i = 0; i < reds.size(); ++i)
        for (std::size_t j = 0; j < greens.size(); ++j)
            for (std::size_t k = 0; k < blues.size(); ++k)
                entries[35 * i + 5 * j + k] = {reds[i], greens[j], blues[k], 0};
    entries[210] = {128, 0, 0, 0};
    entries[211] = {128, 128, 0, 0};
    entries[212] = {128, 0, 128, 0};
    entries[213] = {192, 192, 192, 0};
    entries[214] = {128, 128, 128, 0};
    return CreatePaletteHandle(entries.data(), static_cast<int>(entries.size()));
}

PaletteHandle MakeBlackWhitePalette() {
    const PaletteEntry entries[2] = {{0, 0, 0, 0}, {255, 255, 255, 0}};
    return CreatePaletteHandle(entries, 2);
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
