#pragma once
// Letter case of ASCII letters in text of a double-byte code page.
#include <string>

namespace imvexa {

enum class LetterCase { Upper, Lower };

// text with its ASCII letters in the given case. A double-byte character
// (isLeadByte names its first bytes) stays whole: its second byte may lie in
// the range of the ASCII letters without being one.
std::string WithAsciiCase(std::string text, LetterCase letterCase, bool (*isLeadByte)(unsigned char));

}  // namespace imvexa
