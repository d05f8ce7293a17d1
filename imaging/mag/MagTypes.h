#pragma once
// The records of a MAG picture file and the exceptions of its reader and
// writer. A MAG file is a 32-byte lead-in, a comment ended by 0x1A, a 32-byte
// header, a palette and three streams (flag A, flag B, pixel units); its
// picture is built of 16-bit units (4 pixels of 4 bits or 2 of 8 bits).
#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "RuntimeErrors.h"

namespace imvexa {

// Every fault of a MAG file: "MAG image error:" followed by the detail.
class EMagError : public Exception {
public:
    explicit EMagError(const std::string& detail) : Exception("MAG image error:" + detail) {}
};

// An operation the graphic cannot carry out: "MAG invaild operation:"
// followed by the detail. The prefix's spelling is part of the message text
// that callers may match.
class EInvalidMagOperation : public Exception {
public:
    explicit EInvalidMagOperation(const std::string& detail) : Exception("MAG invaild operation:" + detail) {}
};

inline constexpr std::size_t kMagLeadInSize = 32;
inline constexpr std::size_t kMagHeaderSize = 32;
inline constexpr char kMagSignature[] = "MAKI02  ";
inline constexpr std::size_t kMagSignatureSize = 8;
inline constexpr std::size_t kMagUserNameOffset = 13;
inline constexpr std::size_t kMagUserNameSize = 18;
inline constexpr std::uint8_t kMagCommentEnd = 0x1A;
// The machine-code tag this system's writer puts at offset 8 of the lead-in.
inline constexpr char kMagWriterTag[] = "IMVX";

using MagBlock = std::array<std::uint8_t, 32>;

// A lead-in of blanks with the signature and the writer's tag.
MagBlock FreshMagLeadIn();

// The fields of the 32-byte header (all numbers little-endian).
struct MagHeader {
    static constexpr std::uint8_t k256Colors = 0x80;  // screen mode bit 7
    static constexpr std::uint8_t k200Lines = 0x01;   // screen mode bit 0

    std::uint8_t screenMode = 0;
    std::uint16_t leftX = 0;
    std::uint16_t topY = 0;
    std::uint16_t rightX = 0;   // inclusive
    std::uint16_t bottomY = 0;  // inclusive
    // Counted from the header's start byte.
    std::uint32_t flagAOffset = 0;
    std::uint32_t flagBOffset = 0;
    std::uint32_t flagBSize = 0;
    std::uint32_t pixelOffset = 0;
    std::uint32_t pixelSize = 0;

    static MagHeader Parse(const MagBlock& block);
    // The header bytes: start byte, machine code and flags 0, then the fields.
    MagBlock Pack() const;

    bool Has256Colors() const { return (screenMode & k256Colors) != 0; }
    bool Is200Line() const { return (screenMode & k200Lines) != 0; }
};

// Colour mode 0: 16 colours, 4 bits per pixel; 1: 256 colours, 8 bits.
inline int MagColorCount(int colorMode) { return colorMode == 1 ? 256 : 16; }
// Pixels covered by one flag byte (two units): 8 at 4 bits, 4 at 8 bits.
inline int MagFlagBytePixels(int colorMode) { return colorMode == 1 ? 4 : 8; }

// Where a flag nibble copies its unit from: dy rows up, dx units left.
// Nibble 0 stands for a literal unit from the pixel stream.
struct MagCopyPosition {
    int dy;
    int dx;
};
inline constexpr std::array<MagCopyPosition, 16> kMagCopyPositions{{
    {0, 0}, {0, 1}, {0, 2}, {0, 4}, {1, 0}, {1, 1}, {2, 0}, {2, 1},
    {2, 2}, {4, 0}, {4, 1}, {4, 2}, {8, 0}, {8, 1}, {8, 2}, {16, 0},
}};
// The farthest a copy reaches up: a decoder keeps this many rows above the current one.
inline constexpr int kMagCopyRowsBack = 16;
static_assert(std::ranges::all_of(kMagCopyPositions, [](MagCopyPosition p) { return p.dy <= kMagCopyRowsBack; }));

// The image data that assigned TMAGImage objects share (through a
// shared_ptr; it never changes once built).
struct TMagData {
    // The complete file; empty until data is loaded or encoded.
    std::vector<std::uint8_t> FileBytes;
    MagBlock LeadIn = FreshMagLeadIn();
    MagBlock Header{};
    std::int32_t Width = 0;
    std::int32_t Height = 0;

    bool HasFileBytes() const { return !FileBytes.empty(); }
};

// The properties a MAG file carries besides its picture and colour mode.
struct MagProperties {
    std::string Comment = "TMAGImage for Imvexa Ver 1.01";
    std::string UserName = ">?\?<";  // escaped: not a trigraph
    bool Is200Line = false;
    std::uint16_t TopY = 0;
    // Always a multiple of the flag byte's pixels after loading; the writer
    // rounds it down the same way.
    std::uint16_t LeftX = 0;
};

}  // namespace imvexa
