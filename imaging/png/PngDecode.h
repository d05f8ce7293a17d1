#pragma once
// PNG as a function from the file's bytes to the picture's rows.
#include <cstddef>
#include <cstdint>
#include <span>

#include "PictureRows.h"

namespace imvexa {

struct PngDecodeOptions {
    // The sink keeps the whole picture (a bitmap): its pixel bytes at the
    // output depth must then fit kMaxPixelBytes too, or the file fails
    // before any row ("image size error").
    bool keepsWholePicture = false;
};

// Decodes one PNG file that starts at bytes[0]. The sink gets the header
// (size, 1, 4, 8 or 24 bits per pixel, the colour table, top-down order)
// with the first row, then every row. Failures raise EQXPNGLE, EReadError
// "Stream read error" when the bytes end early, or EOutOfMemory; rows
// already handed over stay with the sink. A file whose IEND comes before any
// image data gives no Begin at all. Returns the bytes the file took, up to
// and including the CRC of its IEND chunk.
//
// Memory is bounded by the width: rows of a plain image are inflated,
// unfiltered and handed over one at a time; an interlaced image is kept
// whole at its output depth (within kMaxPixelBytes). Time is bounded by
// kMaxStreamedPixels.
std::size_t DecodePNG(std::span<const std::uint8_t> bytes, TRowSink& sink, const PngDecodeOptions& options = {});

}  // namespace imvexa
