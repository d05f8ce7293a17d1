#pragma once
// The decoders of the portable core, chosen by extension key: shared by the
// extractor and the native front end.
#include <string>

#include "Bitmap.h"
#include "Stream.h"

namespace imvexa {

// Decodes the file (positioned at its start) into source when the key names
// a built-in portable decoder (BMP/DIB/RLE, JPG/JPEG/JPE/JFIF, PNG, MAG) and
// returns true; false for any other key, without reading. Decoder errors
// propagate.
bool DecodeBuiltIn(TStream& file, const std::string& extension, TBitmap& source);

}  // namespace imvexa
