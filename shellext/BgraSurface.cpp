#include "BgraSurface.h"

#include "RuntimeErrors.h"

namespace imvexa {

TBgraSurface::TBgraSurface(int width, int height) : width_(width), height_(height) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    bitmap_.Reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    dc_.Reset(CreateCompatibleDC(nullptr));
    if (!bitmap_ || !dc_ || width <= 0 || height <= 0) throw EOutOfResources("TBitmap: Cannot Create Bitmap");
    bits_ = static_cast<std::uint8_t*>(bits);
    selected_.emplace(dc_.Get(), bitmap_.Get());
}

std::uint8_t* TBgraSurface::Row(int y) {
    GdiFlush();
    return bits_ + static_cast<std::size_t>(y) * width_ * 4;
}

void TBgraSurface::Fill(COLORREF color) {
    for (int y = 0; y < height_; ++y) {
        std::uint8_t* pixel = Row(y);
        for (int x = 0; x < width_; ++x, pixel += 4) {
            pixel[0] = GetBValue(color);
            pixel[1] = GetGValue(color);
            pixel[2] = GetRValue(color);
            pixel[3] = 255;
        }
    }
}

void TBgraSurface::MakeOpaque() {
    for (int y = 0; y < height_; ++y) {
        std::uint8_t* row = Row(y);
        for (int x = 0; x < width_; ++x) row[4 * x + 3] = 255;
    }
}

HBITMAP TBgraSurface::Release() {
    GdiFlush();
    selected_.reset();
    return bitmap_.Release();
}

}  // namespace imvexa
