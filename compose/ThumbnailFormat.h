#pragma once
// The pixel format and colour table of a thumbnail that a picture is drawn
// onto in its own format (unscaled, or stretched in speed mode).
#include <vector>

#include "Bitmap.h"

namespace imvexa {

struct PixelFormatWithColors {
    TPixelFormat format = TPixelFormat::Bit24;
    std::vector<PaletteEntry> colors;  // for 1, 4 and 8 bits
};

// The picture's own format and colour table with white in it, so that the
// picture keeps its exact colours and its surroundings stay white: the table
// as it is when it holds white; white appended when the table has room (the
// picture's indexes stay valid); otherwise the next palette format with room
// for the table and white, and 24 bits after a full 256-colour table.
PixelFormatWithColors ThumbnailPixelFormat(TPixelFormat format, const std::vector<PaletteEntry>& colors);

// Gives the thumbnail that format for the picture, keeping its white.
void TakePictureFormat(TBitmap& thumbnail, const TBitmap& picture);

// Makes thumbnail a white edge × edge bitmap of the format, its pixels made
// once (no pixels of an earlier format are converted).
void CreateThumbnail(TBitmap& thumbnail, int edge, PixelFormatWithColors format);

}  // namespace imvexa
