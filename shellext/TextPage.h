#pragma once
// The thumbnail of a text file: the beginning of the file drawn as
// word-wrapped text on a page in the tooltip colours, inside a grey frame.
#include <windows.h>

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

// The page size whose layout is the text page's own: other sizes scale it.
inline constexpr int kTextPageSize = 120;

// Draws the page of a text whose first bytes are head (at most
// kTextPageBytes of them are used) onto dc at size × size: the font grows
// with the square root of the size, so a larger page is drawn in a larger
// font and holds more lines; at kTextPageSize it is the font of the page.
void DrawTextPage(HDC dc, int size, const std::string& head);

// Draws the page of the file at the UTF-16 path onto the thumbnail (24 bits,
// edge × edge). Raises EFOpenError when the file cannot be opened.
void DrawTextPage(TBitmap& thumbnail, const std::wstring& path, std::uint64_t fileSize);

}  // namespace imvexa
