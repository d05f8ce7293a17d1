// Conversions into 7-bit JIS, the only ones that write escape sequences.
#include <utility>

#include "JisCharacter.h"
#include "TextConversions.h"

namespace imvexa {

namespace {

// Builds a JIS text: ESC $ B goes before a double-byte character that follows
// single-byte text (or starts the text), ESC ( J before a 7-bit byte that
// follows a double-byte character.
class JisWriter {
public:
    explicit JisWriter(std::size_t sizeHint) { out_.reserve(sizeHint); }

    void WriteByte(std::uint8_t byte) {
        SwitchTo(false, "\x1B(J");  // JIS X 0201 Roman
        AppendByte(out_, byte);
    }
    void WritePair(BytePair jis) {
        SwitchTo(true, "\x1B$B");  // JIS X 0208-1983
        AppendPair(out_, jis);
    }
    std::string Take() { return std::move(out_); }

private:
    void SwitchTo(bool doubleByte, std::string_view escape) {
        if (doubleByte_ != doubleByte) out_ += escape;
        doubleByte_ = doubleByte;
    }

    std::string out_;
    bool doubleByte_ = false;
};

// Writes the JIS code of the 8-bit character at text[pos] and advances pos past it.
using CharacterWriter = void (*)(std::string_view text, std::size_t& pos, JisWriter& out);

std::string EncodeJis(std::string_view text, CharacterWriter writeCharacter) {
    JisWriter out(text.size() + text.size() / 2);
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::uint8_t byte = ByteAt(text, pos);
        if (byte >= 0x80) {
            writeCharacter(text, pos, out);
        } else {
            out.WriteByte(byte);
            ++pos;
        }
    }
    return out.Take();
}

// EUC-JP's double-byte characters are their JIS codes with the top bits set.
BytePair EucPairToJis(std::uint8_t lead, std::uint8_t trail) {
    return {static_cast<std::uint8_t>(lead & 0x7F), static_cast<std::uint8_t>(trail & 0x7F)};
}

void WriteEucCharacter(std::string_view text, std::size_t& pos, JisWriter& out) {
    const std::uint8_t lead = ByteAt(text, pos);
    if (lead != Ss2) {
        out.WritePair(EucPairToJis(lead, ByteAt(text, pos + 1)));
        pos += 2;
    } else if (IsHalfWidthKana(ByteAt(text, pos + 1))) {
        out.WritePair(EucKanaToJis(text, pos));
    } else {
        // 0x8E without a katakana after it has no JIS form: it is dropped and
        // the byte after it is converted on its own.
        ++pos;
    }
}

void WriteSjisCharacter(std::string_view text, std::size_t& pos, JisWriter& out) {
    const std::uint8_t lead = ByteAt(text, pos);
    if (IsHalfWidthKana(lead)) {
        out.WritePair(SjisKanaToJis(text, pos));
    } else {
        out.WritePair(SjisToJisPair(lead, ByteAt(text, pos + 1)));
        pos += 2;
    }
}

}  // namespace

std::string EucToJis(std::string_view text) { return EncodeJis(text, WriteEucCharacter); }

std::string SjisToJis(std::string_view text) { return EncodeJis(text, WriteSjisCharacter); }

}  // namespace imvexa
