#pragma once
// From the image data to the picture's rows: each filtered row inflated,
// unfiltered against the row before it and converted to the output format.
#include <cstdint>

#include "PictureRows.h"
#include "PngImageData.h"
#include "QXPNGLConvert.h"

namespace imvexa::png {

// The bytes of each of the three working rows for a picture width pixels
// wide: the widest row of the format, with 12 bytes to spare after it, which
// the conversions' whole-word reads rely on.
std::int64_t WorkingRowBytes(const RowFormat& format, std::int64_t width);

// Decodes the image data, which starts in the IDAT chunk at the position
// (remaining: its data bytes ahead), of a picture of header.width × header.height
// pixels and hands it to the sink, which has had Begin. The rows of a plain
// image go out as they are decoded, so only two rows are kept; an
// interlaced image is placed pass by pass into the sink's stored rows, or
// put together whole at the output depth and then sent.
void DecodeImageRows(TPngBytes& bytes, std::int32_t& remaining, const RowFormat& format, bool interlaced,
                     const PictureHeader& header, TRowSink& sink);

}  // namespace imvexa::png
