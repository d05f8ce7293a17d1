#pragma once
// Speed mode in portable code, for the native front end: an approximation of
// the extractor's, whose platform stretch stays the reference.
#include <cstdint>
#include <span>
#include <string>

#include "Bitmap.h"

namespace imvexa {

// Makes thumbnail the edge × edge thumbnail of a JPEG file larger than the
// thumbnail: decoded at its reduced scale (ReducedJPEG.h) and stretched by
// nearest pixel into the rectangle of its full size. Returns false without
// decoding or drawing for another key or a picture that fits, which are
// composed as in quality mode. Decoder errors propagate.
bool StretchReducedJPEGThumbnail(std::span<const std::uint8_t> bytes, const std::string& key, int edge,
                                 TBitmap& thumbnail);

}  // namespace imvexa
