// Conversions between the two 8-bit encodings, EUC-JP and Shift_JIS.
#include "JisCharacter.h"
#include "TextConversions.h"

namespace imvexa {

std::string EucToSjis(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::uint8_t lead = ByteAt(text, pos);
        if (lead <= 0x80 || lead == 0xFF) {
            AppendByte(out, lead);
            pos += 1;
        } else if (lead == Ss2) {
            // A half-width katakana is the same single byte in Shift_JIS.
            AppendByte(out, ByteAt(text, pos + 1));
            pos += 2;
        } else {
            AppendPair(out, JisToSjisPair(lead & 0x7F, ByteAt(text, pos + 1) & 0x7F));
            pos += 2;
        }
    }
    return out;
}

std::string SjisToEuc(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 4);
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::uint8_t lead = ByteAt(text, pos);
        if (lead < 0x80) {
            AppendByte(out, lead);
            pos += 1;
        } else if (IsHalfWidthKana(lead)) {
            AppendByte(out, Ss2);
            AppendByte(out, lead);
            pos += 1;
        } else {
            const BytePair jis = SjisToJisPair(lead, ByteAt(text, pos + 1));
            AppendByte(out, jis.first | 0x80);
            AppendByte(out, jis.second | 0x80);
            pos += 2;
        }
    }
    return out;
}

}  // namespace imvexa
