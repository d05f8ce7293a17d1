#pragma once
// The thumbnail of a text file: the beginning of the file drawn as
// word-wrapped text on a page in the tooltip colours, inside a grey frame.
#include <cstdint>
#include <string>

#include "Bitmap.h"

namespace imvexa {

// At most this many bytes of the file are read.
inline constexpr std::size_t kTextPageBytes = 1024;

// The text to draw from the first bytes read (zero bytes up to the read
// count are part of them): UTF-16LE after a byte-order mark converted to the
// ANSI code page, anything else up to its first zero byte converted to
// Shift_JIS when it is JIS or EUC-JP. The page draws it as a C string, so it
// ends at the first zero byte that a conversion gives, and holds at most
// kTextPageBytes bytes.
std::string TextPageContent(const std::string& head);

// Draws the page of the file at the UTF-16 path onto the thumbnail (24 bits,
// edge × edge). Raises EFOpenError when the file cannot be opened.
void DrawTextPage(TBitmap& thumbnail, const std::wstring& path, std::uint64_t fileSize);

}  // namespace imvexa
