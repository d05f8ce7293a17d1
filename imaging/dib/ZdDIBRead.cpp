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

std::int64_t BytesLeft(TStream& stream) {
    return stream.Size() - stream.Position();
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

// Compressed pixel data (the RLE codes), read whole into the final block.
void ReadEncodedData(TStream& stream, std::int64_t size, TZdDIBInfo& info, bool useMapping) {
    RequireEncodedBytes(stream, size);
    PixelBlock block(size, useMapping);
    stream.ReadBuffer(block.Bits(), static_cast<std::size_t>(size));
    block.HandTo(info);
}

}  // namespace

BmpLayout ReadBmpHeaders(TStream& stream) {
    const std::int64_t fileStart = stream.Position();
    const auto file = ReadRecord<BitmapFileHeader>(stream);
    if (file.bfType != kBmpFileType) throw EZdDIBInvalidDIBFile("TZdInternalDIB.LoadFromFile: File type is invalid");

    BmpLayout layout;
    const auto headerSize = ReadRecord<std::uint32_t>(stream);
    if (headerSize == kInfoHeaderSize)
        ReadInfoHeader(stream, file, layout.info, layout.masks);
    else if (headerSize == kCoreHeaderSize)
        ReadCoreHeader(stream, file, layout.info);
    else
        throw EZdDIBInvalidDIB("TZdInternalDIB.LoadFromStream: Invalid Bitmap Header Size");
    layout.pixelOffset = fileStart + file.bfOffBits;
    layout.encodedSize = std::int64_t{file.bfSize} - std::int64_t{file.bfOffBits};
    return layout;
}

void CheckPictureSize(const BitmapInfoHeader& header, TPictureHolding holding) {
    if (header.biWidth <= 0 || header.biHeight == 0)
        throw EZdDIBInvalidDIB("TZdInternalDIB.LoadFromStream: Invalid Width or Height");
    const std::int64_t height = std::abs(std::int64_t{header.biHeight});
    // 16- and 32-bit pixels are stored with 24 bits.
    const int storedBitCount = header.biBitCount == 16 || header.biBitCount == 32 ? 24 : header.biBitCount;
    if (!WithinHoldingLimits(holding, header.biWidth, height, RowStride(header.biWidth, storedBitCount)))
        throw EZdDIBInvalidDIB("TZdInternalDIB.LoadFromStream: Picture Is Too Large");
}

void RequireRowBytes(TStream& stream, std::int64_t size) {
    if (BytesLeft(stream) < size) throw EZdDIBInvalidDIB("TZdInternalDIB.LoadFromStream: Pixel Data Is Too Short");
}

void RequireEncodedBytes(TStream& stream, std::int64_t size) {
    if (size <= 0 || size > BytesLeft(stream) || size > kMaxPixelBytes)
        throw EZdDIBInvalidDIB("TZdInternalDIB.LoadFromStream: Invalid Size of Compressed Data");
}

BitFieldMasks MasksOfPixels(const BitmapInfoHeader& header, const BitFieldMasks& fileMasks) {
    if (header.biCompression == kBiRgb) return DefaultBitFieldMasks(header.biBitCount);
    if (header.biCompression == kBiBitFields) return fileMasks;
    throw EZdDIBInvalidDIB("TZdInternalDIB.LoadFromStream: Invalid Compression");
}

void ReadBitFieldPixels(TStream& stream, const BitFieldMasks& masks, TZdDIBInfo& info, bool useMapping) {
    BitmapInfoHeader& header = info.Header;
    const TBitFieldRows convert(masks, header.biBitCount);
    const std::int64_t rows = std::abs(std::int64_t{header.biHeight});
    const std::int64_t targetStride = RowStride(header.biWidth, 24);
    const std::int64_t sourceStride = RowStride(header.biWidth, header.biBitCount);
    RequireRowBytes(stream, sourceStride * rows);
    std::vector<std::uint8_t> sourceRow(static_cast<std::size_t>(sourceStride));
    PixelBlock block(targetStride * rows, useMapping);

    for (std::int64_t y = 0; y < rows; ++y) {
        stream.ReadBuffer(sourceRow.data(), sourceRow.size());
        convert.Convert(sourceRow.data(), block.Bits() + y * targetStride, header.biWidth);
    }
    block.HandTo(info);
    header.biBitCount = 24;
    header.biCompression = kBiRgb;
    header.biSizeImage = 0;
}

void TZdInternalDIB::LoadFromStream(TStream& stream) {
    BmpLayout layout = ReadBmpHeaders(stream);
    stream.Seek(layout.pixelOffset, SeekOrigin::Begin);
    ReadPixelData(stream, layout.masks, layout.encodedSize, layout.info, UseFMO);
    Install(layout.info);
}

void ReadPixelData(TStream& stream, BitFieldMasks masks, std::int64_t encodedSize, TZdDIBInfo& info,
                   bool useMapping) {
    CheckPictureSize(info.Header, TPictureHolding::Whole);
    const BitmapInfoHeader& header = info.Header;
    if (header.biBitCount == 16 || header.biBitCount == 32) {
        ReadBitFieldPixels(stream, MasksOfPixels(header, masks), info, useMapping);
    } else if (header.biCompression == kBiRgb) {
        ReadPlainRows(stream, info, useMapping);
    } else {
        // RLE codes, or a compression no pixel format knows: kept as they are
        // and refused when the pixel format is asked for.
        ReadEncodedData(stream, encodedSize, info, useMapping);
    }
}

}  // namespace imvexa
