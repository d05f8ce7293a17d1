#include "JisCharacter.h"

namespace imvexa {

namespace {

constexpr std::uint8_t VoicedMark = 0xDE;
constexpr std::uint8_t SemiVoicedMark = 0xDF;

// JIS X 0208 cell of each half-width katakana 0xA1-0xDF.
constexpr std::uint8_t KanaCells[63] = {
          0x23, 0x56, 0x57, 0x22, 0x26, 0x72, 0x21, 0x23, 0x25, 0x27, 0x29, 0x63, 0x65, 0x67, 0x43,
    0x3C, 0x22, 0x24, 0x26, 0x28, 0x2A, 0x2B, 0x2D, 0x2F, 0x31, 0x33, 0x35, 0x37, 0x39, 0x3B, 0x3D,
    0x3F, 0x41, 0x44, 0x46, 0x48, 0x4A, 0x4B, 0x4C, 0x4D, 0x4E, 0x4F, 0x52, 0x55, 0x58, 0x5B, 0x5E,
    0x5F, 0x60, 0x61, 0x62, 0x64, 0x66, 0x68, 0x69, 0x6A, 0x6B, 0x6C, 0x6D, 0x6F, 0x73, 0x2B, 0x2C,
};

std::uint8_t Byte(int value) { return static_cast<std::uint8_t>(value); }

// The symbols (。「」、・ー and the two marks) are in row 0x21, the katakana in row 0x25.
std::uint8_t KanaRow(std::uint8_t kana) {
    const bool symbol = kana <= 0xA5 || kana == 0xB0 || kana >= VoicedMark;
    return symbol ? 0x21 : 0x25;
}

std::uint8_t KanaCell(std::uint8_t kana) { return KanaCells[kana - 0xA1]; }

// The cell of the kana combined with the mark that follows it, or 0 when the
// two do not combine (the mark then stays a character of its own).
std::uint8_t CombinedCell(std::uint8_t kana, std::uint8_t mark) {
    const bool voiceable = InRange(kana, 0xB6, 0xC4) || InRange(kana, 0xCA, 0xCE);  // ka-to, ha-ho
    if (mark == VoicedMark && kana == 0xB3) return 0x74;                            // u -> vu
    if (mark == VoicedMark && voiceable) return Byte(KanaCell(kana) + 1);
    if (mark == SemiVoicedMark && InRange(kana, 0xCA, 0xCE)) return Byte(KanaCell(kana) + 2);
    return 0;
}

// The JIS code of kana, merged with mark when they combine; tells whether the mark was used.
BytePair KanaToJis(std::uint8_t kana, std::uint8_t mark, bool& markUsed) {
    const std::uint8_t combined = CombinedCell(kana, mark);
    markUsed = combined != 0;
    return {KanaRow(kana), markUsed ? combined : KanaCell(kana)};
}

}  // namespace

BytePair JisToSjisPair(std::uint8_t j1, std::uint8_t j2) {
    const int first = (Byte(j1 + 1) >> 1) + (j1 < 0x5F ? 0x70 : 0xB0);
    const int secondOffset = j1 % 2 == 0 ? 0x7E : (j2 <= 0x5F ? 0x1F : 0x20);
    return {Byte(first), Byte(j2 + secondOffset)};
}

BytePair SjisToJisPair(std::uint8_t s1, std::uint8_t s2) {
    const int first = 2 * (s1 - (s1 < 0xA0 ? 0x70 : 0xB0));
    if (s2 < 0x9F) return {Byte(first - 1), Byte(s2 - (s2 > 0x7F ? 0x20 : 0x1F))};
    return {Byte(first), Byte(s2 - 0x7E)};
}

BytePair EucKanaToJis(std::string_view text, std::size_t& pos) {
    // The mark, if any, is the pair 0x8E 0xDE or 0x8E 0xDF.
    const std::uint8_t mark = ByteAt(text, pos + 2) == Ss2 ? ByteAt(text, pos + 3) : 0;
    bool markUsed = false;
    const BytePair jis = KanaToJis(ByteAt(text, pos + 1), mark, markUsed);
    pos += markUsed ? 4 : 2;
    return jis;
}

BytePair SjisKanaToJis(std::string_view text, std::size_t& pos) {
    bool markUsed = false;
    const BytePair jis = KanaToJis(ByteAt(text, pos), ByteAt(text, pos + 1), markUsed);
    pos += markUsed ? 2 : 1;
    return jis;
}

}  // namespace imvexa
