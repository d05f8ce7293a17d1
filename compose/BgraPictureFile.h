#pragma once
// Writing a fitted thumbnail to a file, with its alpha.
#include "SizedThumbnail.h"
#include "Stream.h"

namespace imvexa {

// A PNG file: truecolour with alpha when the picture has alpha, else
// truecolour.
void SaveBgraPng(const TBgraPicture& picture, TStream& stream);

// A 32-bit BMP file (bottom-up rows of blue, green, red, alpha bytes, as a
// 32-bit DIB holds them), alpha 255 for a picture without alpha.
void SaveBgraBmp(const TBgraPicture& picture, TStream& stream);

}  // namespace imvexa
