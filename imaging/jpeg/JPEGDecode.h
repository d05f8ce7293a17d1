#pragma once
// The decoding steps of TJPEGImage: reading a file's header, the size of its
// picture at a scale, and the decoding into a platform bitmap.
#include <cstdint>
#include <functional>
#include <vector>

#include "Bitmap.h"
#include "Graphic.h"
#include "JPEG.h"

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

// Receives the decoding's progress in percent.
using JPEGProgress = std::function<void(ProgressStage stage, int percent)>;

// EJPEG when the bytes do not start with a JPEG image header.
JPEGHeader ReadJPEGHeader(const std::vector<std::uint8_t>& bytes);

// The size of the decoded picture at that scale.
JPEGSize ScaledJPEGSize(const std::vector<std::uint8_t>& bytes, TJPEGScale scale);

// Decodes the file under the settings into bitmap, which is resized and
// reformatted: 24 bits per pixel (blue, green, red), or 8 bits with the
// library's palette of up to 236 colours when the settings ask for 8 bits or
// grey output, or the file is greyscale. EJPEG on a fatal library error or a
// picture beyond the pixel limits.
void DecodeJPEG(const std::vector<std::uint8_t>& bytes, const TJPEGSettings& settings, TBitmap& bitmap,
                const JPEGProgress& progress);

}  // namespace imvexa
