#pragma once
// Writing MAG files.
#include "Bitmap.h"
#include "MagTypes.h"

namespace imvexa {

// Encodes the picture, a 4-bit (16 colours) or 8-bit (256 colours) bitmap,
// with the properties into a new data record holding the file bytes. Left X
// is rounded down to a multiple of the flag byte's pixels, as the reader
// does. Raises EInvalidMagOperation for another depth, a width that is not
// whole flag bytes, an empty picture, a picture that would reach past
// coordinate 65535, and for a comment holding a 0x00 or 0x1A byte or a user
// name holding a 0x00 byte (either would move the header).
TMagData EncodeMagFile(const TBitmap& picture, const MagProperties& properties);

}  // namespace imvexa
