#pragma once
// QXPNGLE, the system's own PNG reader and writer: a graphic that
// decodes a PNG byte stream into an internal platform bitmap (1, 4, 8 or 24
// bits per pixel) and can write that bitmap back as a PNG file.
//
// The portable part lives here and in QXPNGL*.cpp. Drawing into a canvas and
// the clipboard transfer need GDI; the Windows build adds them in a _win32
// file through InternalBitmap() (the picture to stretch-draw, or to hand
// CF_DIB data to and from).
#include <cstdint>
#include <memory>

#include "Bitmap.h"
#include "Graphic.h"
#include "PngErrors.h"

namespace imvexa {

class QXPNGLE : public TGraphic {
public:
    // The picture loader's registration: files of this extension, under this
    // description, and the clipboard format (CF_DIB).
    static constexpr const char* kFileExtension = "PNG";
    static constexpr const char* kDescription = "Portable Network Graphics";
    static constexpr std::uint16_t kClipboardFormat = 8;

    // Empty: no internal bitmap yet.
    QXPNGLE();
    ~QXPNGLE() override;

    const char* ClassName() const override { return "QXPNGLE"; }

    // The internal bitmap's size; 0 without one.
    int Width() const override;
    int Height() const override;
    // Resize the internal bitmap; nothing without one.
    void SetWidth(int value) override;
    void SetHeight(int value) override;
    // True exactly when there is no internal bitmap.
    bool Empty() const override { return bitmap_ == nullptr; }

    // The internal bitmap's palette (owned by it); null without one.
    PaletteHandle Palette() override;
    // Hands the palette to the internal bitmap; without one it is deleted.
    void SetPalette(PaletteHandle palette) override;

    // Reads one PNG image from the stream's position into the internal
    // bitmap (created, sized and white at the first IDAT chunk, then filled
    // row by row or pass by pass; DecodePNG does the work) and leaves the
    // stream after the image's IEND chunk. Raises EQXPNGLE, EReadError when
    // the data ends early, or EOutOfMemory: a failure before the first IDAT
    // leaves the graphic as it was, a later one a partly written bitmap, and
    // the stream where reading stopped.
    void LoadFromStream(TStream& stream) override;
    // Writes the internal bitmap as a PNG file (one without pixels has no
    // image data and loads as an empty graphic); nothing without one.
    void SaveToStream(TStream& stream) override;

    // Null: frees the internal bitmap. A QXPNGLE or a TBitmap: the internal
    // bitmap becomes a copy (a bitmap of another format than 1, 4, 8 or 24
    // bits per pixel is converted to 24). Anything else: a conversion error.
    void Assign(const TGraphic* source) override;
    // A QXPNGLE destination assigns from this graphic; any other assigns
    // from the internal bitmap (a TBitmap becomes a copy of it); with no
    // internal bitmap, a conversion error.
    void AssignTo(TGraphic& destination) const override;

    // The internal bitmap, null while the graphic is empty.
    TBitmap* InternalBitmap() { return bitmap_.get(); }
    const TBitmap* InternalBitmap() const { return bitmap_.get(); }

private:
    // Creates the internal bitmap if absent.
    TBitmap& EnsureBitmap();

    std::unique_ptr<TBitmap> bitmap_;
};

}  // namespace imvexa
