// The BI_RLE8 and BI_RLE4 codes. A code is a pair of bytes (first, second):
//   n > 0, v    a run of n pixels of v (4 bits: the high and the low nibble of v in turn)
//   0, 0        end of line          0, 1   end of bitmap
//   0, 2        delta: the next two bytes move right and down
//   0, n >= 3   n literal pixels follow, padded to an even byte count
// Rows are counted from the first row in memory.
#include "ZdDIBRle.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "PixelLimits.h"
#include "PixelMemory.h"
#include "ZdDIBErrors.h"
#include "ZdInternalDIB.h"

namespace imvexa {

namespace {

// ---------------------------------------------------------------- expansion

// What differs between expanding 8- and 4-bit codes.
struct RleExpansion {
    int bitCount;
    std::uint32_t compression;
    const char* wrongFormat;
    const char* invalidSize;
    const char* endOfLineOutside;
    const char* deltaOutside;
    const char* literalOutside;
    const char* runOutside;
    const char* missingEnd;
};

constexpr RleExpansion kExpand8{
    8,
    kBiRle8,
    "Convert8BitRLETo8BitRGB: Invalid Bitcount & Compression Combination",
    "Convert8BitRLETo8BitRGB: Invalid Width or Height",
    "Convert8BitRLETo8BitRGB: Bad RLE Data 1",
    "Convert8BitRLETo8BitRGB: Bad RLE Data 2",
    "Convert8BitRLETo8BitRGB: Bad RLE Data 3",
    "Convert8BitRLETo8BitRGB: Bad RLE Data 4",
    "Convert8BitRLETo8BitRGB: RLE Data Ends Without End of Bitmap",
};

constexpr RleExpansion kExpand4{
    4,
    kBiRle4,
    "Convert4BitRLETo4BitRGB: Invalid Bitcount & Compression Combination",
    "Convert4BitRLETo4BitRGB: Invalid Width or Height",
    "Convert4BitRLETo4BitRGB: Bad RLE Data 5",
    "Convert4BitRLETo4BitRGB: Bad RLE Data 6",
    "Convert4BitRLETo4BitRGB: Bad RLE Data 7",
    "Convert4BitRLETo4BitRGB: Bad RLE Data 8",
    "Convert4BitRLETo4BitRGB: RLE Data Ends Without End of Bitmap",
};

// Writes colour index value at pixel x of an 8- or 4-bit row. Rows are
// written left to right, so an even 4-bit pixel may clear its partner.
void PutPixel(std::uint8_t* row, std::int64_t x, int bitCount, std::uint8_t value) {
    if (bitCount == 8) {
        row[x] = value;
    } else if (x % 2 == 0) {
        row[x / 2] = static_cast<std::uint8_t>(value << 4);
    } else {
        row[x / 2] = static_cast<std::uint8_t>((row[x / 2] & 0xF0) | value);
    }
}

// Pixel i of a run of value: 4-bit runs take the high and the low nibble in turn.
std::uint8_t RunPixel(std::uint8_t value, int i, int bitCount) {
    if (bitCount == 8) return value;
    return i % 2 == 0 ? value >> 4 : value & 0x0F;
}

// Pixel i of literal pixels packed at bitCount bits, high nibble first.
std::uint8_t LiteralPixel(const std::uint8_t* bytes, int i, int bitCount) {
    return RunPixel(bytes[bitCount == 8 ? i : i / 2], i, bitCount);
}

TZdDIBInfo ExpandRle(const TZdDIBInfo& source, bool useMapping, const RleExpansion& codes) {
    const BitmapInfoHeader& header = source.Header;
    if (header.biBitCount != codes.bitCount || header.biCompression != codes.compression)
        throw EZdDIBBadDIBType(codes.wrongFormat);
    const std::int64_t height = std::abs(std::int64_t{header.biHeight});
    const std::int64_t stride = DIBStride(header);
    if (!WithinPixelLimits(header.biWidth, height, stride)) throw EZdDIBInvalidDIB(codes.invalidSize);
    // 4-bit codes describe pixel pairs: a row may take the padding pixel of an odd width.
    const std::int64_t columns = codes.bitCount == 4 ? (header.biWidth + 1) / 2 * 2 : header.biWidth;

    PixelBlock block(stride * height, useMapping);
    const std::uint8_t* in = source.Bits;
    const std::uint8_t* const end = source.Bits + std::max(source.BitsSize, 0);
    const auto require = [&](std::int64_t bytes) {
        if (end - in < bytes) throw EZdDIBInvalidDIB(codes.missingEnd);
    };
    std::int64_t x = 0;
    std::int64_t y = 0;
    for (;;) {
        require(2);
        const int first = in[0];
        const int second = in[1];
        in += 2;
        if (first > 0) {
            if (x + first > columns || y >= height) throw EZdDIBInvalidDIB(codes.runOutside);
            std::uint8_t* row = block.Bits() + y * stride;
            const auto value = static_cast<std::uint8_t>(second);
            for (int i = 0; i < first; ++i) PutPixel(row, x + i, codes.bitCount, RunPixel(value, i, codes.bitCount));
            x += first;
        } else if (second == 0) {
            x = 0;
            if (++y > height) throw EZdDIBInvalidDIB(codes.endOfLineOutside);
        } else if (second == 1) {
            break;
        } else if (second == 2) {
            require(2);
            x += in[0];
            y += in[1];
            in += 2;
            if (x > columns || y > height) throw EZdDIBInvalidDIB(codes.deltaOutside);
        } else {
            if (x + second > columns || y >= height) throw EZdDIBInvalidDIB(codes.literalOutside);
            const std::int64_t bytes = (codes.bitCount * second + 15) / 16 * 2;
            require(bytes);
            std::uint8_t* row = block.Bits() + y * stride;
            for (int i = 0; i < second; ++i) PutPixel(row, x + i, codes.bitCount, LiteralPixel(in, i, codes.bitCount));
            in += bytes;
            x += second;
        }
    }

    TZdDIBInfo result = source;
    block.HandTo(result);
    result.Header.biCompression = kBiRgb;
    result.Header.biSizeImage = 0;
    return result;
}

// -------------------------------------------------------------- compression

// What differs between compressing 8- and 4-bit rows.
struct RleCompression {
    int bitCount;
    std::uint32_t compression;
    int maxBytes;  // bytes one run or literal may cover
    int minLiteralBytes;  // shorter literals are written as runs of one byte
    const char* wrongFormat;
    const char* failed;
    const char* emptyLiteral;
};

constexpr RleCompression kCompress8{
    8,
    kBiRle8,
    255,
    3,
    "Convert8BitRGBTo8BitRLE: Invalid Bitcount & Compression Combination",
    "Convert8BitRGBTo8BitRLE: Compression Failed",
    "Convert8BitRGBTo8BitRLE: WriteAbsolute Error",
};

constexpr RleCompression kCompress4{
    4,
    kBiRle4,
    127,
    2,
    "Convert4BitRGBTo4BitRLE: Invalid Bitcount & Compression Combination",
    "Convert4BitRGBTo4BitRLE: Compression Failed",
    "Convert4BitRGBTo4BitRLE: WriteAbsolute Error",
};

// Collects codes in a buffer of the uncompressed size. Each code checks that
// it leaves room for the end-of-line and end-of-bitmap codes that must follow.
class RleWriter {
public:
    RleWriter(std::int64_t capacity, const char* failed)
        : buffer_(std::make_unique_for_overwrite<std::uint8_t[]>(static_cast<std::size_t>(capacity))),
          capacity_(capacity),
          failed_(failed) {}

    void Run(int pixels, std::uint8_t value) {
        Reserve(6);
        Put(static_cast<std::uint8_t>(pixels));
        Put(value);
    }

    void Literal(int pixels, const std::uint8_t* bytes, int count) {
        const int padded = (count + 1) / 2 * 2;
        Reserve(padded + 6);
        Put(0);
        Put(static_cast<std::uint8_t>(pixels));
        std::memcpy(buffer_.get() + used_, bytes, static_cast<std::size_t>(count));
        std::memset(buffer_.get() + used_ + count, 0, static_cast<std::size_t>(padded - count));
        used_ += padded;
    }

    void EndOfLine() {
        Reserve(4);
        Put(0);
        Put(0);
    }

    void EndOfBitmap() {
        Reserve(2);
        Put(0);
        Put(1);
    }

    const std::uint8_t* Data() const { return buffer_.get(); }
    std::int64_t Size() const { return used_; }

private:
    void Reserve(std::int64_t room) {
        if (capacity_ - used_ < room) throw EZdDIBCompressionFailed(failed_);
    }
    void Put(std::uint8_t byte) { buffer_[static_cast<std::size_t>(used_++)] = byte; }

    std::unique_ptr<std::uint8_t[]> buffer_;
    std::int64_t capacity_;
    std::int64_t used_ = 0;
    const char* failed_;
};

// Turns byte counts of one row into pixel counts and codes. A 4-bit byte
// holds two pixels, but a code never claims more pixels than the row has left.
class RowCodes {
public:
    RowCodes(RleWriter& writer, const RleCompression& codes, std::int64_t rowPixels)
        : writer_(writer), codes_(codes), pixelsLeft_(rowPixels) {}

    void Run(std::uint8_t value, int bytes) { writer_.Run(TakePixels(bytes), value); }

    void Literal(const std::uint8_t* bytes, int count) {
        ZDDIB_ASSERT(count > 0, codes_.emptyLiteral);
        if (count < codes_.minLiteralBytes) {
            for (int i = 0; i < count; ++i) Run(bytes[i], 1);
        } else {
            writer_.Literal(TakePixels(count), bytes, count);
        }
    }

private:
    int TakePixels(int bytes) {
        const int pixels =
            codes_.bitCount == 8 ? bytes : static_cast<int>(std::min<std::int64_t>(2 * bytes, pixelsLeft_));
        pixelsLeft_ -= pixels;
        return pixels;
    }

    RleWriter& writer_;
    const RleCompression& codes_;
    std::int64_t pixelsLeft_;
};

// Splits a row into runs of equal bytes and literals of differing ones, in one
// pass: the pending bytes row[start, start + length) form a single byte, a run
// or a literal.
void EncodeRow(const std::uint8_t* row, std::int64_t rowBytes, int maxBytes, RowCodes& out) {
    enum class Pending { Single, Run, Literal };
    Pending state = Pending::Single;
    std::int64_t start = 0;
    int length = 1;
    for (std::int64_t i = 1; i < rowBytes; ++i) {
        const std::uint8_t next = row[i];
        switch (state) {
            case Pending::Single:
                state = next == row[start] ? Pending::Run : Pending::Literal;
                length = 2;
                break;
            case Pending::Run:
                if (next == row[start] && length < maxBytes) {
                    ++length;
                } else {
                    out.Run(row[start], length);
                    state = Pending::Single;
                    start = i;
                    length = 1;
                }
                break;
            case Pending::Literal:
                if (next != row[i - 1] && length < maxBytes) {
                    ++length;
                } else if (next == row[i - 1]) {
                    // The literal's last byte starts a run instead.
                    out.Literal(row + start, length - 1);
                    state = Pending::Run;
                    start = i - 1;
                    length = 2;
                } else {
                    out.Literal(row + start, length);
                    state = Pending::Single;
                    start = i;
                    length = 1;
                }
                break;
        }
    }
    if (state == Pending::Literal)
        out.Literal(row + start, length);
    else
        out.Run(row[start], length);
}

TZdDIBInfo CompressRle(const TZdDIBInfo& source, bool useMapping, const RleCompression& codes) {
    const BitmapInfoHeader& header = source.Header;
    if (header.biBitCount != codes.bitCount || header.biCompression != kBiRgb)
        throw EZdDIBBadDIBType(codes.wrongFormat);
    const std::int64_t height = std::abs(std::int64_t{header.biHeight});
    const std::int64_t stride = DIBStride(header);
    ZDDIB_ASSERT(stride * height <= source.BitsSize, "RLE compression: Pixel Block Smaller Than Its Rows");
    const std::int64_t rowBytes = codes.bitCount == 8 ? header.biWidth : (header.biWidth + 1) / 2;

    RleWriter writer(stride * height, codes.failed);
    for (std::int64_t i = 0; i < height; ++i) {
        // The codes run from the bottom row up.
        const std::int64_t memoryRow = header.biHeight > 0 ? i : height - 1 - i;
        RowCodes rowCodes(writer, codes, header.biWidth);
        EncodeRow(source.Bits + memoryRow * stride, rowBytes, codes.maxBytes, rowCodes);
        writer.EndOfLine();
    }
    writer.EndOfBitmap();

    PixelBlock block(writer.Size(), useMapping);
    std::memcpy(block.Bits(), writer.Data(), static_cast<std::size_t>(writer.Size()));
    TZdDIBInfo result = source;
    block.HandTo(result);
    result.Header.biHeight = static_cast<std::int32_t>(height);
    result.Header.biCompression = codes.compression;
    result.Header.biSizeImage = static_cast<std::uint32_t>(writer.Size());
    return result;
}

}  // namespace

TZdDIBInfo Convert8BitRLETo8BitRGB(const TZdDIBInfo& source, bool useMapping) {
    return ExpandRle(source, useMapping, kExpand8);
}

TZdDIBInfo Convert4BitRLETo4BitRGB(const TZdDIBInfo& source, bool useMapping) {
    return ExpandRle(source, useMapping, kExpand4);
}

TZdDIBInfo Convert8BitRGBTo8BitRLE(const TZdDIBInfo& source, bool useMapping) {
    return CompressRle(source, useMapping, kCompress8);
}

TZdDIBInfo Convert4BitRGBTo4BitRLE(const TZdDIBInfo& source, bool useMapping) {
    return CompressRle(source, useMapping, kCompress4);
}

}  // namespace imvexa
