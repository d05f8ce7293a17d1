// Guessing a text's Japanese encoding from its bytes. The first decisive byte
// wins: a byte only Shift_JIS uses, one only EUC-JP uses, a JIS escape or a
// binary byte. Pairs valid in both EUC-JP and Shift_JIS keep the question open.
#include "TextBytes.h"
#include "jconvert.h"

namespace imvexa {

namespace {

// The leading bytes checked for binary content before anything else.
constexpr std::size_t BinaryScanLimit = 512;

bool IsBinaryByte(std::uint8_t byte) { return byte < 0x08 || byte == 0xFF; }

// Lead bytes that EUC-JP never uses (0x8E is its kana prefix).
bool IsSjisOnlyLead(std::uint8_t byte) { return InRange(byte, 0x81, 0x8D) || InRange(byte, 0x8F, 0x9F); }

bool IsUndecided(TextCode code) { return code == TextCodeUnknown || code == TextCodeEucOrSjis; }

// The first BinaryScanLimit bytes, except the last byte of the text.
bool HasBinaryHead(std::string_view text) {
    for (std::size_t p = 0; p < BinaryScanLimit && p + 1 < text.size(); ++p) {
        if (IsBinaryByte(ByteAt(text, p))) return true;
    }
    return false;
}

// 0x8E followed by d: a Shift_JIS double-byte character, or an EUC-JP kana.
TextCode AfterSs2(std::uint8_t d, TextCode code) {
    if (InRange(d, 0x40, 0x7E) || InRange(d, 0x80, 0xA0) || InRange(d, 0xE0, 0xFC)) return TextCodeSjis;
    if (IsHalfWidthKana(d)) return TextCodeEucOrSjis;
    return code;
}

// A lead byte 0xE0-0xEF followed by d.
TextCode AfterHighLead(std::uint8_t d, TextCode code) {
    if (InRange(d, 0x40, 0x7E) || InRange(d, 0x80, 0xA0)) return TextCodeSjis;
    if (d == 0xFD || d == 0xFE) return TextCodeEuc;
    if (InRange(d, 0xA1, 0xFC)) return TextCodeEucOrSjis;
    return code;
}

// Scans the run of bytes >= 0x40 that starts at q for a byte that decides
// between EUC-JP and Shift_JIS. Returns the index of the byte that ended the run.
std::size_t LookAhead(std::string_view text, std::size_t q, TextCode& code) {
    while (q < text.size() && ByteAt(text, q) >= 0x40 && code == TextCodeEucOrSjis) {
        const std::uint8_t byte = ByteAt(text, q);
        if (InRange(byte, 0x81, 0x8D) || InRange(byte, 0x8F, 0x9C)) {
            code = TextCodeSjis;
        } else if (byte == 0xFD || byte == 0xFE) {
            code = TextCodeEuc;
        }
        ++q;
    }
    return q;
}

TextCode ClassifyBytes(std::string_view text) {
    TextCode code = TextCodeUnknown;
    std::size_t p = 0;
    while (IsUndecided(code) && p + 1 < text.size()) {
        const std::uint8_t c = ByteAt(text, p);
        const std::uint8_t d = ByteAt(text, p + 1);
        if (c == Esc) {
            if (d == '$') {
                const std::uint8_t set = ByteAt(text, p + 2);
                if (set == 'B') code = TextCodeJis;
                if (set == '@') code = TextCodeJisOld;
                p += 3;
            } else {
                p += 2;
            }
        } else if (IsBinaryByte(c)) {
            code = TextCodeBinary;
        } else if (c <= 0x80 || c == 0xA0) {
            p += 1;
        } else if (IsSjisOnlyLead(c)) {
            code = TextCodeSjis;
        } else if (c == Ss2) {
            code = AfterSs2(d, code);
            p += 2;
        } else if (IsHalfWidthKana(c)) {
            if (InRange(d, 0xF0, 0xFE)) {
                code = TextCodeEuc;
            } else if (IsHalfWidthKana(d)) {
                code = TextCodeEucOrSjis;
                p += 2;
            } else if (InRange(d, 0xE0, 0xEF)) {
                code = TextCodeEucOrSjis;
                p = LookAhead(text, p + 1, code) + 1;
            } else if (d <= 0x9F) {
                code = TextCodeSjis;
            } else {  // 0xA0 or 0xFF
                p += 2;
            }
        } else if (c >= 0xF0) {
            code = TextCodeEuc;
        } else {  // 0xE0-0xEF
            code = AfterHighLead(d, code);
            p += 2;
        }
    }
    return code;
}

}  // namespace

TextCode DetectTextCode(std::string_view text) {
    return HasBinaryHead(text) ? TextCodeBinary : ClassifyBytes(text);
}

}  // namespace imvexa
