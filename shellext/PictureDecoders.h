#pragma once
// The choice of decoder by extension key.
#include <string>

#include "Bitmap.h"

namespace imvexa {

// Decodes the file at the UTF-16 path into source. A key that no built-in
// decoder serves goes to the user's plug-ins; when none reads the file,
// source stays empty.
void DecodePicture(const std::wstring& path, const std::string& extension, TBitmap& source);

}  // namespace imvexa
