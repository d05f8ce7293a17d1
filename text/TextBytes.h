#pragma once
// Byte access shared by the Japanese encoding detection and conversions.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace imvexa {

inline constexpr std::uint8_t Esc = 0x1B;
// EUC-JP's single-shift 2: the next byte is a half-width katakana.
inline constexpr std::uint8_t Ss2 = 0x8E;

// The byte at index i. Indexes past the end read as 0x00, so a lead byte or an
// escape cut off by the end of the text needs no check of its own.
inline std::uint8_t ByteAt(std::string_view text, std::size_t i) {
    return i < text.size() ? static_cast<std::uint8_t>(text[i]) : 0;
}

inline bool InRange(std::uint8_t byte, std::uint8_t low, std::uint8_t high) {
    return low <= byte && byte <= high;
}

// JIS X 0201 katakana (and its four symbols), a single byte in Shift_JIS.
inline bool IsHalfWidthKana(std::uint8_t byte) { return InRange(byte, 0xA1, 0xDF); }

// The two bytes of one double-byte character.
struct BytePair {
    std::uint8_t first;
    std::uint8_t second;

    bool operator==(const BytePair&) const = default;
};

inline void AppendByte(std::string& out, unsigned byte) { out += static_cast<char>(byte); }

inline void AppendPair(std::string& out, BytePair pair) {
    AppendByte(out, pair.first);
    AppendByte(out, pair.second);
}

}  // namespace imvexa
