// The GDI side of the DIB image: pixels in and out of a platform bitmap
// through the screen's device context, and the halftone palettes.
#include <windows.h>

#include <cstring>

#include "Owners.h"
#include "RuntimeErrors.h"
#include "ZdDIBHalftonePalette.h"
#include "ZdDIBPlatform.h"

namespace imvexa {

namespace {

HPALETTE ToGdi(PaletteHandle palette) { return reinterpret_cast<HPALETTE>(palette); }
PaletteHandle FromGdi(HPALETTE palette) { return reinterpret_cast<PaletteHandle>(palette); }

// A palette of the given colours, kept for the rest of the process (it is
// made once on first use and deleted at module end).
template <std::size_t Count>
win32::Palette MadePalette(const std::array<PaletteEntry, Count>& colors) {
    win32::Palette palette(ToGdi(CreatePaletteHandle(colors.data(), static_cast<int>(Count))));
    if (!palette) throw EOutOfResources("TZdDIB.GetPalette: Cannot Make Palette(1)");
    return palette;
}

}  // namespace

void ReadBitmapPixels(const TBitmap& bitmap, TZdDIBInfo& info) {
    const win32::ClientDC screen;
    if (!screen) throw EOutOfResources("Cannot Get Screen DC");
    const win32::SelectedPalette palette(screen.Get(), ToGdi(const_cast<TBitmap&>(bitmap).Palette()));
    GetDIBits(screen.Get(), bitmap.Handle(), 0, static_cast<UINT>(bitmap.Height()), info.Bits,
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
        static const win32::Palette color = MadePalette(kHalftoneColors);
        return FromGdi(color.Get());
    }
    if (halftoneMode == 2) {
        static const win32::Palette blackWhite = MadePalette(kBlackWhiteColors);
        return FromGdi(blackWhite.Get());
    }
    return nullptr;
}

}  // namespace imvexa
