#pragma once
// The decoders of the portable core, chosen by extension key: shared by the
// extractor and the native front end.
#include <cstdint>
#include <span>
#include <string>

#include "PictureRows.h"

namespace imvexa {

struct BuiltInDecodeOptions {
    // PNGs with transparency come as rows with alpha (PngDecodeOptions::alpha);
    // the other formats are opaque.
    bool alpha = false;
};

// Decodes the file's bytes into the sink when the key names a built-in
// portable decoder (BMP/DIB/RLE, JPG/JPEG/JPE/JFIF, PNG, MAG) and returns
// true; false for any other key, without reading. Decoder errors propagate.
bool DecodeBuiltInRows(std::span<const std::uint8_t> bytes, const std::string& extension, TRowSink& sink,
                       const BuiltInDecodeOptions& options = {});

// Whether the key names the JPEG decoder (JPG, JPEG, JPE, JFIF).
bool IsJPEGKey(const std::string& extension);

}  // namespace imvexa
