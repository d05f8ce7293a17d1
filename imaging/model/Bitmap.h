#pragma once
// The platform bitmap: the picture every decoder delivers into and the
// thumbnail is built on. One interface on both platforms: on Windows the
// pixels live in a GDI DIB section with a memory device context as canvas
// (see Bitmap_win32.cpp), natively in plain memory.
#include <cstdint>
#include <memory>
#include <vector>

#include "Graphic.h"
#include "PlatformHandles.h"

namespace imvexa {

// Device: the screen's own depth (32 bits per pixel, blue-green-red-unused).
enum class TPixelFormat { Device, Bit1, Bit4, Bit8, Bit24 };

int BitsPerPixel(TPixelFormat format);
// Bytes of one row of width pixels, padded to a multiple of 4.
std::int64_t RowStride(std::int32_t width, int bitsPerPixel);

class TBitmap : public TGraphic {
public:
    TBitmap();
    ~TBitmap() override;

    const char* ClassName() const override { return "TBitmap"; }

    int Width() const override { return width_; }
    int Height() const override { return height_; }
    // Sizes keep the pixels that still fit; new pixels are white. Negative
    // sizes count as 0. A 0 × 0 bitmap is empty.
    void SetWidth(int value) override;
    void SetHeight(int value) override;
    void SetSize(int width, int height);
    bool Empty() const override { return width_ == 0 || height_ == 0; }

    TPixelFormat PixelFormat() const { return format_; }
    // Converts the pixels to the new format, keeping the picture: widening is
    // exact, narrowing picks the nearest colour of the colour table (a table
    // of the format's full size is made first when the bitmap has none).
    void SetPixelFormat(TPixelFormat format);
    // The same with the colour table the new format gets (for 1, 4 and 8
    // bits; the format's default table when it does not fit).
    void SetPixelFormat(TPixelFormat format, std::vector<PaletteEntry> colors);
    int BitsPerPixel() const { return imvexa::BitsPerPixel(format_); }
    std::int64_t Stride() const { return RowStride(width_, BitsPerPixel()); }

    // The colour table of a 1-, 4- or 8-bit bitmap (at most 2^bits entries);
    // for direct colours the palette given to the bitmap, if any (at most 256
    // entries, kept by copies and size changes, dropped when palette pixels
    // are converted to direct colours; the pixels do not use it).
    const std::vector<PaletteEntry>& ColorTable() const { return colors_; }
    void SetColorTable(std::vector<PaletteEntry> colors);

    // A palette made from the colour table, owned by the bitmap (cached until
    // the table changes); null without a table.
    PaletteHandle Palette() override;
    // Takes ownership: the entries become the colour table.
    void SetPalette(PaletteHandle palette) override;

    // Row y of the picture, y = 0 at the top; y must lie in 0..Height()-1.
    std::uint8_t* ScanLine(int y);
    const std::uint8_t* ScanLine(int y) const;

    // The BMP file format (reads any file the DIB image reads).
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) override;

    // From another bitmap: a copy of its pixels, format and colour table.
    // Other graphics assign themselves (AssignTo).
    void Assign(const TGraphic* source) override;
    void AssignTo(TGraphic& destination) const override;

    // The Windows build's GDI face (Bitmap_win32.cpp). The memory device
    // context that draws into the pixels (created on demand).
    HDC__* Canvas();
    HBITMAP__* Handle() const;
    // Gives up the DIB section: the caller owns and deletes it; the bitmap is empty afterwards.
    HBITMAP__* ReleaseHandle();

private:
    struct Surface;

    // Replaces the pixels by a new surface of the given size, format and
    // colour table, painted with source's picture (source may be this bitmap).
    void Rebuild(int width, int height, TPixelFormat format, std::vector<PaletteEntry> colors,
                 const TBitmap& source);

    int width_ = 0;
    int height_ = 0;
    TPixelFormat format_ = TPixelFormat::Device;
    std::vector<PaletteEntry> colors_;
    PaletteHandle palette_ = nullptr;
    std::unique_ptr<Surface> surface_;
};

}  // namespace imvexa
