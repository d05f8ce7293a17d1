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
    // Pictures with transparency (an alpha channel, or a tRNS chunk that fits
    // the colour type) come as 32-bit rows with alpha (PictureHeader::alpha);
    // every other picture comes as it does without the option.
    bool alpha = false;
};

// Decodes one PNG file that starts at bytes[0]. The sink gets the header
// (size, 1, 4, 8 or 24 bits per pixel, or 32 with alpha as options ask, the colour table, top-down order) at
// the first IDAT chunk, once the header is checked and before any data is
// inflated, then every row. Failures raise EQXPNGLE, EReadError "Stream
// read error" when the bytes end early, or EOutOfMemory; what the sink got
// by then stays with it. A file whose IEND comes before any image data
// gives no Begin at all. Returns the bytes the file took, up to and
// including the CRC of its IEND chunk. stop, when given, is set on success
// and on failure to where reading stopped, as a stream's position would
// be after the same reads (a read that runs out leaves it at the end, a
// chunk skipped beyond the end past it).
//
// Memory is bounded by the width: rows of a plain image are inflated,
// unfiltered and handed over one at a time. An interlaced image is placed
// pass by pass into the sink's own rows when it offers them (StoredRow),
// else kept whole at its output depth (within kMaxPixelBytes) and handed
// over at the end. Time is bounded by kMaxStreamedPixels.
std::size_t DecodePNG(std::span<const std::uint8_t> bytes, TRowSink& sink, const PngDecodeOptions& options = {},
                      std::uint64_t* stop = nullptr);

}  // namespace imvexa
