#include "BuiltInDecoders.h"

#include <initializer_list>

#include "Bitmap.h"
#include "BitmapRows.h"
#include "BmpRows.h"
#include "JPEGDecode.h"
#include "MagRows.h"
#include "PngDecode.h"
#include "QXPNGL.h"
#include "Stream.h"
#include "ZdDIBErrors.h"

namespace imvexa {

namespace {

bool IsOneOf(const std::string& key, std::initializer_list<const char*> keys) {
    for (const char* candidate : keys)
        if (key == candidate) return true;
    return false;
}

// Passes a decoder's picture on and remembers whether it was announced.
class TAnnouncedRows : public TRowSink {
public:
    explicit TAnnouncedRows(TRowSink& sink) : sink_(sink) {}

    void Begin(const PictureHeader& header) override {
        announced_ = true;
        sink_.Begin(header);
    }
    void Row(const std::uint8_t* pixels) override { sink_.Row(pixels); }

    bool Announced() const { return announced_; }

private:
    TRowSink& sink_;
    bool announced_ = false;
};

// Run-length codes are expanded by the library into a kept heap block when it
// accepts them, which gives the picture a platform bitmap holds without
// making one (a fresh bitmap of a picture's size costs a page fault per
// page). Codes it refuses go to the platform bitmap, as it loads them: on
// Windows the platform expands them itself and tolerates codes that leave
// the picture, so the thumbnail stays what the platform draws.
void DecodeBMPPicture(std::span<const std::uint8_t> bytes, TRowSink& sink) {
    if (!HasEncodedPixels(bytes)) {
        DecodeBMP(bytes, sink);
        return;
    }
    TAnnouncedRows rows(sink);
    try {
        DecodeBMP(bytes, rows);
        return;
    } catch (const EZdDIBError&) {
        if (rows.Announced()) throw;
    }
    TBorrowedMemoryStream file(bytes.data(), bytes.size());
    TBitmap picture;
    picture.LoadFromStream(file);
    SendBitmapRows(picture, sink);
}

// A PNG file without image data (IEND before any IDAT) loads as an empty
// graphic, and an empty graphic cannot become a bitmap: such a file fails with
// that conversion error, as its graphic does.
void DecodePNGPicture(std::span<const std::uint8_t> bytes, TRowSink& sink, const BuiltInDecodeOptions& options) {
    TAnnouncedRows rows(sink);
    PngDecodeOptions png;
    png.alpha = options.alpha;
    DecodePNG(bytes, rows, png);
    if (rows.Announced()) return;
    const QXPNGLE empty;
    TBitmap().Assign(&empty);
}

}  // namespace

bool DecodeBuiltInRows(std::span<const std::uint8_t> bytes, const std::string& extension, TRowSink& sink,
                       const BuiltInDecodeOptions& options) {
    if (IsOneOf(extension, {"BMP", "DIB", "RLE"}))
        DecodeBMPPicture(bytes, sink);
    else if (IsJPEGKey(extension))
        DecodeJPEG(bytes, TJPEGSettings{}, sink);
    else if (extension == "PNG")
        DecodePNGPicture(bytes, sink, options);
    else if (extension == "MAG")
        DecodeMAG(bytes, sink);
    else
        return false;
    return true;
}

bool IsJPEGKey(const std::string& extension) { return IsOneOf(extension, {"JPG", "JPEG", "JPE", "JFIF"}); }

}  // namespace imvexa
