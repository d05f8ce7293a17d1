#pragma once
// Icons and metafiles, drawn by the platform onto a COLOR_WINDOW background.
#include <string>

#include "Bitmap.h"
#include "Stream.h"

namespace imvexa {

// extension is "ICO", "EMF" or "WMF"; source becomes a 24-bit picture of the
// icon's or metafile's own size, read from the file (positioned at its start).
void LoadPlatformPicture(TStream& file, const std::string& extension, TBitmap& source);

}  // namespace imvexa
