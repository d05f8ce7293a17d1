#pragma once
// The quality-mode thumbnail in portable code: the same pixels the extractor
// draws with GDI, for the native front end.
#include "Bitmap.h"

namespace imvexa {

// Makes thumbnail the edge × edge thumbnail of source: white, with a picture
// that fits centred unscaled (the thumbnail then takes the picture's format
// and colour table, with white added: ThumbnailPixelFormat), a larger one
// box-averaged into its rectangle at 24 bits.
// Raises the reduction's exceptions (a target size of zero among them).
void ComposeThumbnail(TBitmap& source, int edge, TBitmap& thumbnail);

}  // namespace imvexa
