#pragma once
// TJPEGImage, the JPEG graphic: it holds a file's compressed bytes and
// decodes them (DecodeJPEG) when it is assigned to a platform bitmap (24 bits
// per pixel in blue-green-red order, or 8 bits with a palette chosen by the
// library's colour quantization).
#include <cstdint>
#include <memory>
#include <vector>

#include "Bitmap.h"
#include "Graphic.h"
#include "JPEGError.h"
#include "JPEGSettings.h"
#include "RuntimeErrors.h"

namespace imvexa {

struct JPEGSize;

// An operation that a graphic class does not allow.
class EInvalidGraphicOperation : public Exception {
public:
    using Exception::Exception;
};

// A file's compressed bytes and what its header says. Never changed once
// made: graphics assigned from one another share one, and loading makes a new
// one rather than writing into the shared one.
struct TJPEGData {
    std::vector<std::uint8_t> Bytes;
    int Width = 0;
    int Height = 0;
    bool Grayscale = false;  // the file's colour space is greyscale
};

class TJPEGImage : public TGraphic {
public:
    // The picture loader's registration: these extensions, this description
    // (Shift_JIS bytes of "JPEG イメージファイル").
    static constexpr const char* kFileExtensions[] = {"jpeg", "jpg"};
    static constexpr const char* kDescription =
        "JPEG \x83\x43\x83\x81\x81\x5B\x83\x57\x83\x74\x83\x40\x83\x43\x83\x8B";

    // Empty, with the default settings.
    TJPEGImage();
    ~TJPEGImage() override;

    const char* ClassName() const override { return "TJPEGImage"; }

    // The size of the picture at the settings' scale; 0 when empty.
    int Width() const override;
    int Height() const override;
    // Refused with EInvalidGraphicOperation.
    void SetWidth(int value) override;
    void SetHeight(int value) override;
    bool Empty() const override { return data_->Bytes.empty(); }

    // The palette given with SetPalette, if any.
    PaletteHandle Palette() override { return palette_; }
    // Takes ownership of the palette.
    void SetPalette(PaletteHandle palette) override;

    // Reads every byte from the stream's position to its end and, unless
    // there were none, parses the header (EJPEG when it is not a JPEG image
    // header); on failure the graphic is unchanged.
    void LoadFromStream(TStream& stream) override;
    // Writes the compressed bytes unchanged.
    void SaveToStream(TStream& stream) override;

    // From a TJPEGImage: shares its data and takes its settings. Anything
    // else: the base's behaviour.
    void Assign(const TGraphic* source) override;
    // Into a TBitmap: decodes straight into the bitmap's rows, which then
    // hold the picture, its pixel format and palette (EJPEG on failure, when
    // the bitmap keeps what was decoded so far). The picture is not kept:
    // keeping it would cost a copy of every picture. Into a TJPEGImage: Assign.
    void AssignTo(TGraphic& destination) const override;

    const TJPEGSettings& Settings() const { return settings_; }
    void SetSettings(const TJPEGSettings& settings);

    std::shared_ptr<const TJPEGData> Data() const { return data_; }

private:
    void DecodeInto(TBitmap& bitmap) const;
    // The size of the picture decoding would give.
    JPEGSize OutputSize() const;

    std::shared_ptr<const TJPEGData> data_;
    TJPEGSettings settings_;
    PaletteHandle palette_ = nullptr;
};

}  // namespace imvexa
