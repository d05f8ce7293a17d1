#pragma once
// The records of the DIB image: our own definitions of the Windows bitmap
// file and header layouts (no Windows header in portable code), the info
// record that a DIB storage holds, and the pixel formats.
#include <bit>
#include <cstddef>
#include <cstdint>

namespace imvexa {

// BMP files and the records below are little-endian; they are read and
// written as they lie in memory.
static_assert(std::endian::native == std::endian::little);

#pragma pack(push, 1)
struct BitmapFileHeader {
    std::uint16_t bfType;
    std::uint32_t bfSize;
    std::uint16_t bfReserved1;
    std::uint16_t bfReserved2;
    std::uint32_t bfOffBits;
};
#pragma pack(pop)

struct BitmapInfoHeader {
    std::uint32_t biSize;
    std::int32_t biWidth;
    std::int32_t biHeight;  // negative: rows are stored top-down
    std::uint16_t biPlanes;
    std::uint16_t biBitCount;
    std::uint32_t biCompression;
    std::uint32_t biSizeImage;
    std::int32_t biXPelsPerMeter;
    std::int32_t biYPelsPerMeter;
    std::uint32_t biClrUsed;
    std::uint32_t biClrImportant;
};

// The 12-byte header of OS/2 bitmaps.
struct BitmapCoreHeader {
    std::uint32_t bcSize;
    std::uint16_t bcWidth;
    std::uint16_t bcHeight;
    std::uint16_t bcPlanes;
    std::uint16_t bcBitCount;
};

struct RgbQuad {
    std::uint8_t rgbBlue;
    std::uint8_t rgbGreen;
    std::uint8_t rgbRed;
    std::uint8_t rgbReserved;
};

struct RgbTriple {
    std::uint8_t rgbtBlue;
    std::uint8_t rgbtGreen;
    std::uint8_t rgbtRed;
};

static_assert(sizeof(BitmapFileHeader) == 14);
static_assert(sizeof(BitmapInfoHeader) == 40);
static_assert(sizeof(BitmapCoreHeader) == 12);
static_assert(sizeof(RgbQuad) == 4);
static_assert(sizeof(RgbTriple) == 3);

inline constexpr std::uint16_t kBmpFileType = 0x4D42;  // "BM"
inline constexpr std::uint32_t kBiRgb = 0;
inline constexpr std::uint32_t kBiRle8 = 1;
inline constexpr std::uint32_t kBiRle4 = 2;
inline constexpr std::uint32_t kBiBitFields = 3;
inline constexpr std::int32_t kDefaultPelsPerMeter = 3780;  // 96 dots per inch
inline constexpr int kMaxColors = 256;

// One picture as the storage holds it: the pixel block and a ready BITMAPINFO
// (header directly followed by the colour table).
struct TZdDIBInfo {
    std::int32_t BitsSize = 0;
    void* MapHandle = nullptr;  // non-null when the block is a shared-memory mapping
    std::uint8_t* Bits = nullptr;
    BitmapInfoHeader Header{};
    // Entries 0-255 are the colour table; the four spare entries keep the
    // layout of the platform's DIB info records, which put three bit-field
    // masks ahead of the colours.
    RgbQuad Colors[260]{};

    void* BitmapInfo() { return &Header; }
    const void* BitmapInfo() const { return &Header; }
};

static_assert(offsetof(TZdDIBInfo, Colors) == offsetof(TZdDIBInfo, Header) + sizeof(BitmapInfoHeader));
static_assert(sizeof(TZdDIBInfo::Colors) == 1040);

enum TZdPixelFormat : std::uint8_t {
    zdPf1Bit,
    zdPf4Bit,
    zdPf4BitRLE,
    zdPf8Bit,
    zdPf8BitRLE,
    zdPf24Bit,
    zdPfHalftone,  // conversion target only: 8 bits on the halftone palette
    zdPfHalftoneBW,  // conversion target only: black-and-white halftone, 1 bit
};

// How 24-bit pixels are reduced to a palette.
enum class TZdConvertMode : std::uint8_t { Low, High };

}  // namespace imvexa
