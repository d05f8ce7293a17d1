#pragma once
// JPEG decoding as a function from a file's bytes to rows: the header first,
// then every output scanline in order into a sink the caller owns. The
// decoder itself holds libjpeg's memory and one scanline; whatever keeps the
// picture is the sink's choice.
#include <cstdint>
#include <functional>
#include <span>

#include "Graphic.h"
#include "JPEGError.h"
#include "JPEGSettings.h"
#include "PictureRows.h"

namespace imvexa {

struct JPEGSize {
    int width = 0;
    int height = 0;
};

struct JPEGHeader {
    JPEGSize size;
    bool grayscale = false;      // the file's colour space is greyscale
    bool multipleScans = false;  // progressive (or sequential in several scans)
};

// What decoding under a set of settings delivers, known from the header.
struct JPEGOutput {
    JPEGSize size;
    int bitsPerPixel = 24;  // 24 (blue, green, red) or 8 (palette indices)
};

// Receives the decoding's progress in percent.
using JPEGProgress = std::function<void(ProgressStage stage, int percent)>;

// EJPEG when the bytes do not start with a JPEG image header.
JPEGHeader ReadJPEGHeader(std::span<const std::uint8_t> bytes);

// The size and pixel format that DecodeJPEG gives under the settings
// (EJPEG as ReadJPEGHeader).
JPEGOutput JPEGOutputOf(std::span<const std::uint8_t> bytes, const TJPEGSettings& settings);

// Decodes the file under the settings into the sink: Begin once the library
// has started (the picture at the settings' scale, 24 bits per pixel in
// blue-green-red order, or 8 bits with the library's colour map of up to 236
// colours when the settings ask for 8 bits or grey output, or the file is
// greyscale), then each row from the top. CMYK and YCCK files give 24 bits.
// EJPEG on a fatal library error (the sink keeps the rows it has had),
// EOutOfMemory when memory runs out. Progressive files are buffered by the
// library, within the pixel-block limit; files of more than 500 scans are
// refused.
void DecodeJPEG(std::span<const std::uint8_t> bytes, const TJPEGSettings& settings, TRowSink& sink,
                const JPEGProgress& progress = {});

}  // namespace imvexa
