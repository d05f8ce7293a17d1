// The BMP reader: a file header, a 40-byte (or 12-byte OS/2) bitmap header,
// optional bit-field masks, a colour table and the pixel data at bfOffBits.
// Every size in the file is checked before it is used: pixel memory is sized
// from the header for plain rows and from the data actually present for
// compressed data, and never beyond the pixel limits.
#include "ZdDIBRead.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "Bitmap.h"
#include "PixelLimits.h"
#include "PixelMemory.h"
#include "ZdDIBErrors.h"
#include "ZdInternalDIB.h"

namespace imvexa {

namespace {

constexpr std::uint32_t kInfoHeaderSize = sizeof(BitmapInfoHeader);
constexpr std::uint32_t kCoreHeaderSize = sizeof(BitmapCoreHeader);
constexpr std::uint64_t kFileHeaderSize = sizeof(BitmapFileHeader);

template <class Record>
Record ReadRecord(TStream& stream) {
    Record record;
    stream.ReadBuffer(&record, sizeof record);
    return record;
}

// Reads the rest of a header whose size field has already been read.
template <class Header>
void ReadHeaderBody(TStream& stream, Header& header) {
    stream.ReadBuffer(reinterpret_cast<std::uint8_t*>(&header) + sizeof(std::uint32_t),
                      sizeof header - sizeof(std::uint32_t));
}

void RequirePixelOffset(const BitmapFileHeader& file, std::uint64_t headersAndColors) {
    if (file.bfOffBits < headersAndColors)
        throw EZdDIBInvalidDIB("TZdInternalDIB.LoadFromFile: bfOffBits is too small");
}

// The 40-byte header, the masks of bit-field files and the colour table.
void ReadInfoHeader(TStream& stream, const BitmapFileHeader& file, TZdDIBInfo& info, BitFieldMasks& masks) {
    BitmapInfoHeader& header = info.Header;
    ReadHeaderBody(stream, header);
    header.biSize = kInfoHeaderSize;
    if (header.biXPelsPerMeter == 0) header.biXPelsPerMeter = kDefaultPelsPerMeter;
    if (header.biYPelsPerMeter == 0) header.biYPelsPerMeter = kDefaultPelsPerMeter;

    const int bitCount = header.biBitCount;
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32)
        throw EZdDIBInvalidDIB("TZdInternalDIB.LoadFromStream: Invalid BitCout");

    std::uint64_t colorCount = header.biClrUsed;
    if (colorCount == 0 && bitCount <= 8) colorCount = std::uint64_t{1} << bitCount;
    const bool hasMasks = header.biCompression == kBiBitFields;
    if (hasMasks) masks = ReadRecord<BitFieldMasks>(stream);
    // Colours past the 256th are skipped by the seek to the pixel data.
    const std::uint64_t storedColors = std::min<std::uint64_t>(colorCount, kMaxColors);
    stream.ReadBuffer(info.Colors, storedColors * sizeof(RgbQuad));

    RequirePixelOffset(file, kFileHeaderSize + kInfoHeaderSize + (hasMasks ? sizeof(BitFieldMasks) : 0) +
                                 colorCount * sizeof(RgbQuad));
    header.biClrUsed = static_cast<std::uint32_t>(storedColors);
}

// The 12-byte OS/2 header and its colour triples, turned into the 40-byte form.
void ReadCoreHeader(TStream& stream, const BitmapFileHeader& file, TZdDIBInfo& info) {
    BitmapCoreHeader core{};
    ReadHeaderBody(stream, core);
    const int bitCount = core.bcBitCount;
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24)
        throw EZdDIBInvalidDIB("TZdInternalDIB.LoadFromStream: Invalid BitCount");

    const int colorCount = bitCount == 24 ? 0 : 1 << bitCount;
    RgbTriple triples[kMaxColors];
    stream.ReadBuffer(triples, static_cast<std::size_t>(colorCount) * sizeof(RgbTriple));
    RequirePixelOffset(file, kFileHeaderSize + kCoreHeaderSize + colorCount * sizeof(RgbTriple));

    for (int i = 0; i < colorCount; ++i)
        info.Colors[i] = RgbQuad{triples[i].rgbtBlue, triples[i].rgbtGreen, triples[i].rgbtRed, 0};
    info.Header = BitmapInfoHeader{kInfoHeaderSize,
                                   core.bcWidth,
                                   core.bcHeight,
                                   core.bcPlanes,
                                   core.bcBitCount,
                                   kBiRgb,
                                   0,
                                   kDefaultPelsPerMeter,
                                   kDefaultPelsPerMeter,
                                   static_cast<std::uint32_t>(colorCount),
                                   0};
}

void CheckPictureSize(const BitmapInfoHeader& header) {
    if (header.biWidth <= 0 || header.biHeight == 0)
        throw EZdDIBInvalidDIB("TZdInternalDIB.LoadFromStream: Invalid Width or Height");
    // 16- and 32-bit pixels are stored with 24 bits.
    const int storedBitCount = header.biBitCount == 16 || header.biBitCount == 32 ? 24 : header.biBitCount;
    if (!WithinPixelLimits(header.biWidth, std::abs(std::int64_t{header.biHeight}),
                           RowStride(header.biWidth, storedBitCount)))
        throw EZdDIBInvalidDIB("TZdInternalDIB.LoadFromStream: Picture Is Too Large");
}

std::int64_t BytesLeft(TStream& stream) {
    return stream.Size() - stream.Position();
}

// Pixel rows are checked against the stream before their memory is taken, so
// a short hostile file cannot make the reader claim a large block.
void RequireRowBytes(TStream& stream, std::int64_t size) {
    if (BytesLeft(stream) < size) throw EZdDIBInvalidDIB("TZdInternalDIB.LoadFromStream: Pixel Data Is Too Short");
}

// Uncompressed 1-, 4-, 8- and 24-bit rows, read straight into the final block.
// Bytes after the last row are ignored.
void ReadPlainRows(TStream& stream, TZdDIBInfo& info, bool useMapping) {
    const std::int64_t size = DIBStride(info.Header) * std::abs(std::int64_t{info.Header.biHeight});
    RequireRowBytes(stream, size);
    PixelBlock block(size, useMapping);
    stream.ReadBuffer(block.Bits(), static_cast<std::size_t>(size));
    block.HandTo(info);
}

// Compressed pixel data (the RLE codes) of bfSize - bfOffBits bytes, which
// must all be present in the stream.
void ReadEncodedData(TStream& stream, std::int64_t size, TZdDIBInfo& info, bool useMapping) {
    if (size <= 0 || size > BytesLeft(stream) || size > kMaxPixelBytes)
        throw EZdDIBInvalidDIB("TZdInternalDIB.LoadFromStream: Invalid Size of Compressed Data");
    PixelBlock block(size, useMapping);
    stream.ReadBuffer(block.Bits(), static_cast<std::size_t>(size));
    block.HandTo(info);
}

// Scales one channel of a bit-field pixel to 8 bits: the mask is shifted so
// that its top bit lands on bit 7, and the shifted value is stretched from
// 0..divisor to 0..255.
class ChannelScale {
public:
    explicit ChannelScale(std::uint32_t mask) : mask_(mask) {
        std::uint32_t top = mask;
        while (top >= 256) {
            top >>= 1;
            ++shift_;
        }
        while (top < 128) {
            top <<= 1;
            --shift_;
        }
        divisor_ = top;
    }

    std::uint8_t operator()(std::uint32_t pixel) const {
        const std::uint32_t value = shift_ >= 0 ? (pixel & mask_) >> shift_ : (pixel & mask_) << -shift_;
        return static_cast<std::uint8_t>(value * 255 / divisor_);
    }

private:
    std::uint32_t mask_;
    int shift_ = 0;
    std::uint32_t divisor_ = 128;
};

}  // namespace

BitFieldMasks DefaultBitFieldMasks(int bitCount) {
    return bitCount == 16 ? BitFieldMasks{0x7C00, 0x03E0, 0x001F} : BitFieldMasks{0xFF0000, 0x00FF00, 0x0000FF};
}

void ReadBitFieldPixels(TStream& stream, const BitFieldMasks& masks, TZdDIBInfo& info, bool useMapping) {
    if (masks.red == 0 || masks.green == 0 || masks.blue == 0)
        throw EZdDIBInvalidDIB("TZdInternalDIB.LoadFromStream: Invalid Masks");
    const ChannelScale red(masks.red), green(masks.green), blue(masks.blue);

    BitmapInfoHeader& header = info.Header;
    const int bytesPerPixel = header.biBitCount / 8;
    const std::int64_t width = header.biWidth;
    const std::int64_t rows = std::abs(std::int64_t{header.biHeight});
    const std::int64_t targetStride = RowStride(header.biWidth, 24);
    const std::int64_t sourceStride = RowStride(header.biWidth, header.biBitCount);
    RequireRowBytes(stream, sourceStride * rows);
    std::vector<std::uint8_t> sourceRow(static_cast<std::size_t>(sourceStride));
    PixelBlock block(targetStride * rows, useMapping);

    for (std::int64_t y = 0; y < rows; ++y) {
        stream.ReadBuffer(sourceRow.data(), sourceRow.size());
        std::uint8_t* target = block.Bits() + y * targetStride;
        for (std::int64_t x = 0; x < width; ++x) {
            const std::uint8_t* source = sourceRow.data() + x * bytesPerPixel;
            const std::uint32_t pixel = bytesPerPixel == 2
                                            ? std::uint32_t{source[0]} | std::uint32_t{source[1]} << 8
                                            : std::uint32_t{source[0]} | std::uint32_t{source[1]} << 8 |
                                                  std::uint32_t{source[2]} << 16 | std::uint32_t{source[3]} << 24;
            target[3 * x] = blue(pixel);
            target[3 * x + 1] = green(pixel);
            target[3 * x + 2] = red(pixel);
        }
    }
    block.HandTo(info);
    header.biBitCount = 24;
    header.biCompression = kBiRgb;
    header.biSizeImage = 0;
}

void TZdInternalDIB::LoadFromStream(TStream& stream) {
    const std::int64_t fileStart = stream.Position();
    const auto file = ReadRecord<BitmapFileHeader>(stream);
    if (file.bfType != kBmpFileType) throw EZdDIBInvalidDIBFile("TZdInternalDIB.LoadFromFile: File type is invalid");

    TZdDIBInfo info;
    BitFieldMasks masks{};
    const auto headerSize = ReadRecord<std::uint32_t>(stream);
    if (headerSize == kInfoHeaderSize)
        ReadInfoHeader(stream, file, info, masks);
    else if (headerSize == kCoreHeaderSize)
        ReadCoreHeader(stream, file, info);
    else
        throw EZdDIBInvalidDIB("TZdInternalDIB.LoadFromStream: Invalid Bitmap Header Size");
    stream.Seek(fileStart + file.bfOffBits, SeekOrigin::Begin);
    ReadPixelData(stream, masks, std::int64_t{file.bfSize} - std::int64_t{file.bfOffBits}, info, UseFMO);
    Install(info);
}

void ReadPixelData(TStream& stream, BitFieldMasks masks, std::int64_t encodedSize, TZdDIBInfo& info,
                   bool useMapping) {
    CheckPictureSize(info.Header);
    const BitmapInfoHeader& header = info.Header;
    if (header.biBitCount == 16 || header.biBitCount == 32) {
        if (header.biCompression != kBiRgb && header.biCompression != kBiBitFields)
            throw EZdDIBInvalidDIB("TZdInternalDIB.LoadFromStream: Invalid Compression");
        if (header.biCompression == kBiRgb) masks = DefaultBitFieldMasks(header.biBitCount);
        ReadBitFieldPixels(stream, masks, info, useMapping);
    } else if (header.biCompression == kBiRgb) {
        ReadPlainRows(stream, info, useMapping);
    } else {
        // RLE codes, or a compression no pixel format knows: kept as they are
        // and refused when the pixel format is asked for.
        ReadEncodedData(stream, encodedSize, info, useMapping);
    }
}

}  // namespace imvexa
