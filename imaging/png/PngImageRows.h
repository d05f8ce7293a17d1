#pragma once
// From the image data to the picture's rows: each filtered row inflated,
// unfiltered against the row before it and converted to the output format.
#include <cstdint>

#include "PictureRows.h"
#include "PngImageData.h"
#include "QXPNGLConvert.h"

namespace imvexa::png {

// Decodes the image data of a picture of header.width × header.height
// pixels and hands it to the sink, header first. The rows of a plain image
// go out as they are decoded, so only two rows are kept; an interlaced
// image is put together whole at the output depth, then sent. The sink's
// Begin comes with the first finished row: a file that fails before it
// leaves the sink untouched.
void DecodeImageRows(TPngImageData& data, const RowFormat& format, bool interlaced, const PictureHeader& header,
                     TRowSink& sink);

}  // namespace imvexa::png
