#pragma once
// The pictures no built-in decoder serves, drawn or decoded by the platform.
#include <cstdint>
#include <span>
#include <string>

#include "Bitmap.h"

namespace imvexa {

// Decodes the file's bytes into source: icons and metafiles by the platform,
// any other key by the user's plug-ins; when none reads the file, source
// stays empty.
void DecodeOtherPicture(std::span<const std::uint8_t> file, const std::string& extension, TBitmap& source);

}  // namespace imvexa
