#pragma once
// The thumbnail provider's work: a file's thumbnail at a requested size.
#include <windows.h>

#include <cstdint>
#include <span>
#include <string>

#include "Owners.h"

namespace imvexa {

// The largest size drawn. Explorer asks for at most 2560 pixels; a text page
// at this size is a 64 MiB bitmap.
inline constexpr int kMaxProviderSize = 4096;

struct ProviderThumbnail {
    win32::Bitmap bitmap;   // null when no decoder gave a picture
    bool hasAlpha = false;  // straight alpha; without it every alpha byte is 255
};

// The thumbnail of a file with the extension key, from its bytes (for a text
// key its first bytes suffice), fitting a size × size square: a 32-bit
// top-down DIB section of the picture's size fitted into the square (a text
// page fills it), never larger than the picture. Built-in formats are
// composed (quality mode) or stretched by the platform (speed mode), with
// the transparency of PNG files; icons are drawn at the fitted size with
// their transparency, metafiles played at it on white, plug-in pictures
// composed or stretched like built-in ones. Decoder errors raise exceptions.
ProviderThumbnail MakeProviderThumbnail(std::span<const std::uint8_t> bytes, const std::string& extension, int size);

}  // namespace imvexa
