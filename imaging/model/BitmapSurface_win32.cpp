// A TBitmap's pixels in a GDI DIB section, so that GDI can draw into them
// and the bitmap handle can be given to the shell. Rows are top-down.
#include <windows.h>

#include <cstring>

#include "BitmapSurface_win32.h"
#include "RuntimeErrors.h"

namespace imvexa {

namespace {

struct BitmapInfo256 {
    BITMAPINFOHEADER header;
    RGBQUAD colors[256];
};

void CopyColors(const std::vector<PaletteEntry>& colors, RGBQUAD* out) {
    for (std::size_t i = 0; i < colors.size() && i < 256; ++i)
        out[i] = {colors[i].blue, colors[i].green, colors[i].red, 0};
}

}  // namespace

std::unique_ptr<TBitmap::Surface> TBitmap::Surface::Create(int width, int height, int bitsPerPixel,
                                                           const std::vector<PaletteEntry>& colors) {
    BitmapInfo256 info{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = width;
    info.header.biHeight = -height;
    info.header.biPlanes = 1;
    info.header.biBitCount = static_cast<WORD>(bitsPerPixel);
    info.header.biCompression = BI_RGB;
    info.header.biClrUsed = bitsPerPixel <= 8 ? static_cast<DWORD>(colors.size()) : 0;
    CopyColors(colors, info.colors);

    std::unique_ptr<Surface> surface(new Surface);
    surface->platform = std::make_unique<Platform>();
    win32::Bitmap& bitmap = surface->platform->bitmap;
    void* bits = nullptr;
    bitmap.Reset(CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !bits) throw EOutOfResources("TBitmap: Cannot Create Bitmap");
    surface->bits = static_cast<std::uint8_t*>(bits);
    surface->stride = RowStride(width, bitsPerPixel);
    std::memset(surface->bits, 0, static_cast<std::size_t>(surface->stride) * static_cast<std::size_t>(height));
    return surface;
}

TBitmap::Surface::~Surface() = default;

void TBitmap::Surface::SetColorTable(const std::vector<PaletteEntry>& colors) {
    if (colors.empty()) return;
    RGBQUAD table[256]{};
    CopyColors(colors, table);
    const UINT count = static_cast<UINT>(colors.size() > 256 ? 256 : colors.size());
    if (platform->dc) {
        SetDIBColorTable(platform->dc.Get(), 0, count, table);
        return;
    }
    const win32::MemoryDC work(CreateCompatibleDC(nullptr));
    if (!work) throw EOutOfResources("TBitmap: Cannot Create Memory DC");
    const win32::SelectedObject selected(work.Get(), platform->bitmap.Get());
    SetDIBColorTable(work.Get(), 0, count, table);
}

}  // namespace imvexa
