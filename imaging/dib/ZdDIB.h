#pragma once
// TZdDIB, the library's device-independent picture: a BITMAPINFOHEADER, a
// colour table of up to 256 entries and a block of pixel rows, held in a
// shared storage (TZdInternalDIB) that is copied only when one of its images
// writes to it.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "ZdDIBErrors.h"
#include "ZdDIBTypes.h"
#include "ZdGraph.h"
#include "ZdInternalDIB.h"

#include "PlatformHandles.h"

namespace imvexa {

class TBitmap;

class TZdDIB : public TZdGraphic {
public:
    // The clipboard format of packed DIBs (CF_DIB).
    static constexpr std::uint16_t kClipboardFormat = 8;

    // A 1 × 1, 8-bit image of index 0 with 256 black colours.
    TZdDIB();
    ~TZdDIB() override;

    const char* ClassName() const override { return "TZdDIB"; }
    std::uint16_t ClipboardFormat() const override { return kClipboardFormat; }

    int Width() const override;
    int Height() const override;  // always positive
    // A different size gives a blank picture (pixels and colours zero, same
    // colour count and bit count). A negative height gives top-down rows.
    void SetWidth(int value) override;
    void SetHeight(int value) override;
    bool Empty() const override { return false; }

    int BitCount() const;
    // 1, 4, 8 or 24; a different bit count gives a blank picture.
    void SetBitCount(int value);
    TZdPixelFormat PixelFormat() const;
    // Converts the pixels to another format (ZdDIBPixelFormat.cpp).
    void SetPixelFormat(TZdPixelFormat format);
    bool UseFMO() const;

    // HalftoneMode 1 and 2 give the halftone palettes used for drawing;
    // otherwise the palette of the colour table (null without colours).
    PaletteHandle Palette() override;
    // Replaces the colour table by the palette's entries (null: no colours)
    // and takes ownership of the handle; pixel indexes are kept.
    void SetPalette(PaletteHandle palette) override;

    // Pixel (x, y), y = 0 the top row, coordinates clamped into the picture:
    // a colour 0x00BBGGRR for 24 bits, a colour-table index otherwise.
    std::uint32_t Pixels(int x, int y) const;
    // value is a colour 0x00BBGGRR (24 bits, not negative) or an index (8
    // bits: 0-255; 4 bits: the low nibble; 1 bit: zero or not). Does not notify.
    void SetPixels(int x, int y, std::int32_t value);

    TZdConvertMode ConvertMode = TZdConvertMode::Low;
    std::uint32_t MonoKeyColor = 0xFFFFFF;  // 0x00BBGGRR
    std::uint8_t HalftoneMode = 0;  // drawing: 0 direct, 1 colour halftone, 2 black-and-white

    // From another TZdDIB (shares its storage), a TBitmap (copies its pixels)
    // or null (the empty image).
    void Assign(const TGraphic* source) override;
    // To another TZdDIB (shares the storage) or a TBitmap (copies the pixels
    // at the image's own depth).
    void AssignTo(TGraphic& destination) const override;

    // The BMP file format; loading replaces the image only on success.
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) override;

    // The Windows build's GDI face. Stretch-draws the image into rect of the
    // device context with copyMode as raster operation: directly, or through
    // a halftone (HalftoneMode 1 and 2; ZdDIBDraw_win32.cpp).
    void Draw(HDC__* dc, const Rect& rect, unsigned long copyMode = kSourceCopy);
    // The packed DIB (header, colours, pixels) of clipboard format CF_DIB
    // (ZdDIBClipboard_win32.cpp). Loading replaces the image only on success.
    void LoadFromClipboardFormat(std::uint16_t format, void* data, PaletteHandle palette);
    void SaveToClipboardFormat(std::uint16_t& format, void*& data, PaletteHandle& palette);
    // Loads the clipboard's CF_DIB data; the clipboard is closed again also
    // when loading fails.
    void LoadFromClipboard();

    // --- For the pixel-format conversions, drawing, canvas and clipboard code.

    // The storage; never null while the image lives.
    TZdInternalDIB& InternalDIB() const;
    // A new empty storage with this image's UseFMO.
    std::unique_ptr<TZdInternalDIB> NewInternalDIB() const;
    // Makes the storage this image's own (copy on write).
    void UniqueDIB();
    // Installs a completely built storage in place of the current one and
    // takes over its palette-changed flag. Does not notify.
    void ReplaceInternalDIB(std::unique_ptr<TZdInternalDIB> storage);
    // Moves the storage's palette-changed flag into PaletteModified.
    void UpdatePaletteModified();

    using ProgressStep = std::function<void()>;
    // Runs work between a starting and an ending progress report (the ending
    // one also when work fails); work calls step once for each of total steps.
    void ReportProgress(int total, const std::string& message,
                        const std::function<void(const ProgressStep& step)>& work);

private:
    friend class TZdDIBCanvas;  // notifies the image when its drawing is done

    // The storage, asserting that it is set; operation names the caller.
    TZdInternalDIB& Storage(const char* operation) const;
    void ReleaseInternalDIB();
    // Replaces the storage by a blank one laid out by CreateDIB, then notifies.
    void RecreateBlank(std::int32_t width, std::int32_t height, std::int32_t colorCount, int bitCount);
    void AssignFromBitmap(const TBitmap& bitmap);
    void AssignToBitmap(TBitmap& bitmap) const;

    TZdInternalDIB* internalDIB_ = nullptr;
};

}  // namespace imvexa
