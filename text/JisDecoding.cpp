// Conversions out of 7-bit JIS.
#include "JisCharacter.h"
#include "TextConversions.h"

namespace imvexa {

namespace {

// Converts the double-byte-run character at text[pos] and advances pos past it.
using DoubleByteWriter = void (*)(std::string_view text, std::size_t& pos, std::string& out);

std::string DecodeJis(std::string_view text, DoubleByteWriter writeDoubleByte) {
    std::string out;
    out.reserve(text.size());
    bool doubleByte = false;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::uint8_t byte = ByteAt(text, pos);
        if (byte == Esc) {
            // ESC $ x opens a double-byte run, ESC ( x a single-byte one.
            const std::uint8_t kind = ByteAt(text, pos + 1);
            if (kind == '$') doubleByte = true;
            if (kind == '(') doubleByte = false;
            pos += 3;
        } else if (doubleByte) {
            writeDoubleByte(text, pos, out);
        } else {
            AppendByte(out, byte);
            ++pos;
        }
    }
    return out;
}

// EUC-JP is JIS with the top bit set, byte by byte; control bytes stay as they are.
void WriteEucByte(std::string_view text, std::size_t& pos, std::string& out) {
    const std::uint8_t byte = ByteAt(text, pos++);
    AppendByte(out, InRange(byte, 0x21, 0x7E) ? byte | 0x80 : byte);
}

void WriteSjisPair(std::string_view text, std::size_t& pos, std::string& out) {
    AppendPair(out, JisToSjisPair(ByteAt(text, pos), ByteAt(text, pos + 1)));
    pos += 2;
}

}  // namespace

std::string JisToEuc(std::string_view text) { return DecodeJis(text, WriteEucByte); }

std::string JisToSjis(std::string_view text) { return DecodeJis(text, WriteSjisPair); }

}  // namespace imvexa
