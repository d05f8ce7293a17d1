#pragma once
// Whole-text conversions between the three Japanese encodings. Each walks the
// text once; a double-byte character cut off by the end of the text is
// converted with 0x00 as its missing byte.
#include <string>
#include <string_view>

namespace imvexa {

// From JIS: escape sequences (always taken as three bytes, and recognised also
// straight after one another) switch between single-byte and double-byte runs
// and are dropped.
std::string JisToEuc(std::string_view text);
std::string JisToSjis(std::string_view text);

// To JIS: ESC $ B opens each double-byte run, ESC ( J closes it before the next
// 7-bit byte. A text that ends in a double-byte run gets no closing escape.
// Half-width katakana become their full-width JIS X 0208 equivalents.
std::string EucToJis(std::string_view text);
std::string SjisToJis(std::string_view text);

std::string EucToSjis(std::string_view text);
std::string SjisToEuc(std::string_view text);

}  // namespace imvexa
