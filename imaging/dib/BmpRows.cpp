#include "BmpRows.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "AllocationFailure.h"
#include "Bitmap.h"
#include "ZdDIBRead.h"
#include "ZdDIBRle.h"
#include "ZdInternalDIB.h"

namespace imvexa {

namespace {

// The pixel data of a BMP file in memory: rows are read where they lie.
class TBmpPixels {
public:
    // stream reads bytes; the headers of layout have been read from it.
    TBmpPixels(std::span<const std::uint8_t> bytes, TStream& stream, const BmpLayout& layout)
        : bytes_(bytes), stream_(stream), layout_(layout) {
        stream_.Seek(layout.pixelOffset, SeekOrigin::Begin);
    }

    // The first byte of the pixel data, once the file is known to hold size bytes of rows.
    const std::uint8_t* Rows(std::int64_t size) {
        RequireRowBytes(stream_, size);
        return bytes_.data() + stream_.Position();
    }

    // The first byte of the compressed data, once the file is known to hold all of it.
    const std::uint8_t* Encoded() {
        RequireEncodedBytes(stream_, layout_.encodedSize);
        return bytes_.data() + stream_.Position();
    }

private:
    std::span<const std::uint8_t> bytes_;
    TStream& stream_;
    const BmpLayout& layout_;
};

// The colours a bitmap keeps: at most 2^bits for palette pixels, 256 for direct ones.
std::vector<PaletteEntry> ColorsOf(const TZdDIBInfo& info, int bitsPerPixel) {
    const std::uint32_t limit = bitsPerPixel <= 8 ? 1u << bitsPerPixel : kMaxColors;
    std::vector<PaletteEntry> colors(std::min(info.Header.biClrUsed, limit));
    for (std::size_t i = 0; i < colors.size(); ++i)
        colors[i] = PaletteEntry{info.Colors[i].rgbRed, info.Colors[i].rgbGreen, info.Colors[i].rgbBlue, 0};
    return colors;
}

PictureHeader PictureOf(const TZdDIBInfo& info, int bitsPerPixel) {
    PictureHeader picture;
    picture.width = info.Header.biWidth;
    picture.height = std::abs(info.Header.biHeight);
    picture.bitsPerPixel = bitsPerPixel;
    picture.colors = ColorsOf(info, bitsPerPixel);
    picture.order = info.Header.biHeight > 0 ? TRowOrder::BottomUp : TRowOrder::TopDown;
    return picture;
}

std::int64_t RowCount(const BitmapInfoHeader& header) {
    return std::abs(std::int64_t{header.biHeight});
}

void SendRows(const TZdDIBInfo& info, const std::uint8_t* first, std::int64_t stride, int bitsPerPixel,
              TRowSink& sink) {
    sink.Begin(PictureOf(info, bitsPerPixel));
    for (std::int64_t y = 0; y < RowCount(info.Header); ++y) sink.Row(first + y * stride);
}

void SendPlainRows(const BmpLayout& layout, TBmpPixels& pixels, TRowSink& sink) {
    const BitmapInfoHeader& header = layout.info.Header;
    const std::int64_t stride = DIBStride(header);
    SendRows(layout.info, pixels.Rows(stride * RowCount(header)), stride, header.biBitCount, sink);
}

void SendBitFieldRows(const BmpLayout& layout, TBmpPixels& pixels, TRowSink& sink) {
    const BitmapInfoHeader& header = layout.info.Header;
    const TBitFieldRows convert(MasksOfPixels(header, layout.masks), header.biBitCount);
    const std::int64_t stride = DIBStride(header);
    const std::uint8_t* source = pixels.Rows(stride * RowCount(header));
    std::vector<std::uint8_t> row(3 * static_cast<std::size_t>(header.biWidth));
    sink.Begin(PictureOf(layout.info, 24));
    for (std::int64_t y = 0; y < RowCount(header); ++y) {
        convert.Convert(source + y * stride, row.data(), header.biWidth);
        sink.Row(row.data());
    }
}

bool IsEncoded(const BitmapInfoHeader& header) {
    const bool direct = header.biBitCount == 16 || header.biBitCount == 32;
    return !direct && header.biCompression != kBiRgb;
}

// RLE codes may place any pixel anywhere below the current row, so the
// picture is expanded whole, at its own depth, before its first row leaves.
void SendRleRows(const BmpLayout& layout, TBmpPixels& pixels, TRowSink& sink) {
    const std::uint8_t* codes = pixels.Encoded();
    const TZdPixelFormat format = PixelFormatOf(layout.info.Header);  // only the two RLE formats pass
    TZdDIBInfo source = layout.info;
    source.Bits = const_cast<std::uint8_t*>(codes);  // the expansion only reads its source
    source.BitsSize = static_cast<std::int32_t>(layout.encodedSize);
    TZdInternalDIB expanded(false);
    expanded.Install(format == zdPf8BitRLE ? Convert8BitRLETo8BitRGB(source, false)
                                           : Convert4BitRLETo4BitRGB(source, false));
    const TZdDIBInfo& rows = expanded.Info;
    SendRows(rows, rows.Bits, DIBStride(rows.Header), rows.Header.biBitCount, sink);
}

}  // namespace

void DecodeBMP(std::span<const std::uint8_t> bytes, TRowSink& sink) {
    GuardAllocations([&] {
        TBorrowedMemoryStream stream(bytes.data(), bytes.size());
        const BmpLayout layout = ReadBmpHeaders(stream);
        const BitmapInfoHeader& header = layout.info.Header;
        const bool direct = header.biBitCount == 16 || header.biBitCount == 32;
        const bool encoded = IsEncoded(header);
        CheckPictureSize(header, encoded ? TPictureHolding::Whole : TPictureHolding::Rows);
        TBmpPixels pixels(bytes, stream, layout);
        if (direct)
            SendBitFieldRows(layout, pixels, sink);
        else if (encoded)
            SendRleRows(layout, pixels, sink);
        else
            SendPlainRows(layout, pixels, sink);
    });
}

bool HasEncodedPixels(std::span<const std::uint8_t> bytes) {
    TBorrowedMemoryStream stream(bytes.data(), bytes.size());
    try {
        return IsEncoded(ReadBmpHeaders(stream).info.Header);
    } catch (const Exception&) {
        return false;
    }
}

}  // namespace imvexa
