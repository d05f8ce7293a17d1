#include "StretchedThumbnail.h"

#include <algorithm>
#include <cstring>

#include "BitmapRows.h"
#include "PixelLimits.h"
#include "RuntimeErrors.h"
#include "ThumbnailFormat.h"

namespace imvexa {

namespace {

// Gives dc the stretch mode for a picture of the format.
void SetStretchMode(HDC dc, TPixelFormat format) {
    const int depth = GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES);
    if (depth <= 8 && depth < BitsPerPixel(format)) {
        SetStretchBltMode(dc, HALFTONE);
        POINT origin;
        GetBrushOrgEx(dc, &origin);
        SetBrushOrgEx(dc, origin.x, origin.y, nullptr);
    } else if (format != TPixelFormat::Bit1) {
        SetStretchBltMode(dc, COLORONCOLOR);
    }
}

}  // namespace

void DrawStretched(TBitmap& thumbnail, int edge, TBitmap& source, const Rect& target) {
    CreateThumbnail(thumbnail, edge, ThumbnailPixelFormat(source.PixelFormat(), source.ColorTable()));
    StretchInto(thumbnail.Canvas(), source, target);
}

void StretchInto(HDC dc, TBitmap& source, const Rect& target) {
    SetStretchMode(dc, source.PixelFormat());
    StretchBlt(dc, target.left, target.top, target.right - target.left, target.bottom - target.top, source.Canvas(),
               0, 0, source.Width(), source.Height(), SRCCOPY);
}

void TStretchedRows::Begin(const PictureHeader& header) {
    const std::int64_t stride = RowStride(header.width, header.bitsPerPixel);
    if (header.width > 0 && header.height > 0 && !WithinPixelLimits(header.width, header.height, stride))
        throw EOutOfResources("TBitmap: Cannot Create Bitmap");
    picture_ = header;
    picture_.colors.resize(std::min<std::size_t>(picture_.colors.size(), 256));
    info_ = {};
    info_.header.biSize = sizeof(BITMAPINFOHEADER);
    info_.header.biWidth = header.width;
    // Rows are kept as they arrive: bottom row first for a bottom-up picture.
    info_.header.biHeight = header.order == TRowOrder::BottomUp ? header.height : -header.height;
    info_.header.biPlanes = 1;
    info_.header.biBitCount = static_cast<WORD>(header.bitsPerPixel);
    info_.header.biCompression = BI_RGB;
    info_.header.biClrUsed = header.bitsPerPixel <= 8 ? static_cast<DWORD>(picture_.colors.size()) : 0;
    for (std::size_t i = 0; i < picture_.colors.size(); ++i) {
        const PaletteEntry& color = picture_.colors[i];
        info_.colors[i] = {color.blue, color.green, color.red, 0};
    }
    rowBytes_ = static_cast<std::size_t>((std::int64_t{header.width} * header.bitsPerPixel + 7) / 8);
    stride_ = static_cast<std::size_t>(stride);
    bits_.Take(stride_ * static_cast<std::size_t>(std::max(header.height, 0)));
}

void TStretchedRows::Row(const std::uint8_t* pixels) {
    TByteBuffer& bits = bits_.Bytes();
    IMVEXA_ASSERT(bits.size() < stride_ * static_cast<std::size_t>(picture_.height), "TStretchedRows: Too Many Rows",
                  "StretchedThumbnail");
    bits.insert(bits.end(), pixels, pixels + rowBytes_);
    bits.insert(bits.end(), stride_ - rowBytes_, 0);
}

void TStretchedRows::DrawStretched(TBitmap& thumbnail, int edge, const Rect& target) const {
    CreateThumbnail(thumbnail, edge, ThumbnailPixelFormat(PixelFormatForBits(picture_.bitsPerPixel), picture_.colors));
    StretchInto(thumbnail.Canvas(), target);
}

void TStretchedRows::StretchInto(HDC dc, const Rect& target) const {
    SetStretchMode(dc, PixelFormatForBits(picture_.bitsPerPixel));
    StretchDIBits(dc, target.left, target.top, target.right - target.left, target.bottom - target.top, 0, 0,
                  picture_.width, picture_.height, bits_.Bytes().data(), reinterpret_cast<const BITMAPINFO*>(&info_),
                  DIB_RGB_COLORS, SRCCOPY);
}

}  // namespace imvexa
