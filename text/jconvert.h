#pragma once
// Japanese text encodings: guessing whether a text is Shift_JIS, EUC-JP or
// 7-bit JIS (ISO-2022-JP escapes), and converting it into another of them.
// The text preview asks for Shift_JIS, the encoding the page drawing expects.
#include <string>
#include <string_view>

namespace imvexa {

// A detection result, and (for TextCodeJis, TextCodeEuc, TextCodeSjis) a
// conversion target.
enum TextCode {
    TextCodeUnknown = 0,    // nothing decisive: 7-bit text, or too short
    TextCodeBinary = 1,     // a byte 0x00-0x07 or 0xFF
    TextCodeJis = 2,        // ESC $ B (JIS X 0208-1983)
    TextCodeJisOld = 3,     // ESC $ @ (JIS C 6226-1978)
    TextCodeEuc = 4,
    TextCodeSjis = 5,
    TextCodeEucOrSjis = 6,  // valid as both, nothing that decides
};

TextCode DetectTextCode(std::string_view text);

// The text in the target encoding. Text that is already in it, undecided,
// binary or 7-bit, and any target other than Jis, Euc or Sjis, give the text
// unchanged.
std::string ConvertTextCode(std::string_view text, TextCode target);

}  // namespace imvexa
