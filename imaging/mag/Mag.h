#pragma once
// TMAGImage, the graphic of MAG pictures (16 or 256 colours): it decodes a MAG
// file into an internal platform bitmap of 4 or 8 bits per pixel with the
// file's palette, and writes that bitmap back as a MAG file.
//
// Drawing into a canvas and the clipboard transfer need GDI; the Windows build
// adds them in a _win32 file through InternalBitmap().
#include <cstdint>
#include <memory>
#include <vector>

#include "Bitmap.h"
#include "Graphic.h"
#include "MagTypes.h"

namespace imvexa {

class TMAGImage : public TGraphic {
public:
    // The picture loader's registration: files of this extension, under this description.
    static constexpr const char* kFileExtension = "MAG";
    static constexpr const char* kDescription = "MAki chan Graphic format";

    // No file bytes, no internal bitmap, the properties of ResetProperties.
    TMAGImage();
    ~TMAGImage() override;

    const char* ClassName() const override { return "TMAGImage"; }

    // The internal bitmap's size; without one the size of the shared data.
    int Width() const override;
    int Height() const override;
    // Rounds the width up to a multiple of 8 pixels (16 colours) or 4 (256).
    // EInvalidMagOperation "range over" when left X + width would pass 65535.
    void SetWidth(int value) override;
    // EInvalidMagOperation "range over" when top Y + height would pass 65535.
    void SetHeight(int value) override;
    // False while the shared data holds file bytes; otherwise true without an
    // internal bitmap or with an empty one.
    bool Empty() const override;

    // The internal bitmap's palette; null without one.
    PaletteHandle Palette() override;
    // Gives the internal bitmap the palette's colours (the handle is taken over).
    void SetPalette(PaletteHandle palette) override;

    // Reads every byte from the stream's position to its end and decodes the
    // picture. Raises EMagError for a malformed file and the stream's
    // EReadError when it holds fewer bytes than it reports; the graphic keeps
    // its previous picture on failure.
    void LoadFromStream(TStream& stream) override;
    // Writes the MAG file: the loaded or last written bytes while the graphic
    // is unmodified, else a new encoding of the internal bitmap
    // (EInvalidMagOperation "not have DIB" without one).
    void SaveToStream(TStream& stream) override;

    // The graphic's stored form: the file's size as 4 bytes, then the file.
    void ReadData(TStream& stream);
    void WriteData(TStream& stream);

    // A TMAGImage: shares its data, copies its properties and bitmap. Another
    // graphic: the internal bitmap becomes a copy of it at 4 bits (from 1 or
    // 4) or 8 bits (from any other depth), widened to whole flag bytes, and
    // the properties are reset. Null: a conversion error.
    void Assign(const TGraphic* source) override;
    // The destination assigns from the internal bitmap (a TBitmap becomes a
    // copy: pixels, pixel format, colour table).
    void AssignTo(TGraphic& destination) const override;

    // Whether other is a TMAGImage that shares this graphic's data.
    bool Equals(const TGraphic& other) const;

    // The version banner as comment, user name ">??<", no 200-line flag,
    // top Y and left X 0.
    virtual void ResetProperties();

    // 0: 16 colours (4 bits per pixel); 1: 256 colours (an 8-bit internal bitmap).
    int ColorMode() const { return bitmap_ && bitmap_->PixelFormat() == TPixelFormat::Bit8 ? 1 : 0; }
    // The shared data: file bytes, copies of the lead-in and header, size.
    const TMagData& Data() const { return *data_; }
    // The internal bitmap, created when absent (4 bits, 8 pixels wide, no
    // rows): what drawing and the clipboard transfer use. Its depth must stay
    // that of the colour mode and its width whole flag bytes; the writer
    // refuses anything else (EInvalidMagOperation).
    TBitmap& InternalBitmap() { return EnsureBitmap(); }

    // Written into the file by the writer; set from the file by loading.
    MagProperties Properties;

private:
    TBitmap& EnsureBitmap();
    // Replaces the file bytes by a new encoding of the internal bitmap.
    void Encode();
    void LoadBytes(std::vector<std::uint8_t> bytes);

    std::shared_ptr<const TMagData> data_;
    std::unique_ptr<TBitmap> bitmap_;
};

}  // namespace imvexa
