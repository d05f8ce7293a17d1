#pragma once
// One character converted between 7-bit JIS X 0208 codes (row, cell) and
// Shift_JIS, and half-width katakana mapped to their JIS X 0208 equivalents.
// All arithmetic is modulo 256: invalid input gives a garbage pair, never a fault.
#include <cstddef>
#include <string_view>

#include "TextBytes.h"

namespace imvexa {

BytePair JisToSjisPair(std::uint8_t j1, std::uint8_t j2);
BytePair SjisToJisPair(std::uint8_t s1, std::uint8_t s2);

// The half-width katakana at text[pos] (EUC-JP: 0x8E and the kana byte;
// Shift_JIS: the kana byte) as a JIS X 0208 code, with a following voiced or
// semi-voiced mark merged into it when the two form one character. Advances pos
// past what was consumed (EUC-JP: 2 or 4 bytes; Shift_JIS: 1 or 2 bytes).
// The kana byte must be one of 0xA1-0xDF.
BytePair EucKanaToJis(std::string_view text, std::size_t& pos);
BytePair SjisKanaToJis(std::string_view text, std::size_t& pos);

}  // namespace imvexa
