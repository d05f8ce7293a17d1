#pragma once
// Icons and metafiles, drawn by the platform onto a COLOR_WINDOW background.
#include <cstdint>
#include <span>
#include <string>

#include "Bitmap.h"

namespace imvexa {

// extension is "ICO", "EMF" or "WMF"; source becomes a 24-bit picture of the
// icon's or metafile's own size, read from the file's bytes.
void LoadPlatformPicture(std::span<const std::uint8_t> file, const std::string& extension, TBitmap& source);

}  // namespace imvexa
