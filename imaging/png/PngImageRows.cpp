#include "PngImageRows.h"

#include <cstring>
#include <utility>
#include <vector>

#include "PngErrors.h"
#include "QXPNGLRows.h"
#include "WorkBuffer.h"

namespace imvexa::png {

namespace {

// A filtered row: the filter type byte, then the pixels.
std::size_t FilteredRowBytes(std::int64_t passWidth, int rawBits) {
    return static_cast<std::size_t>((passWidth * rawBits + 7) / 8 + 1);
}

// The bytes of all filtered rows, pass after pass for an interlaced image.
std::uint64_t ImageDataBytes(const RowFormat& format, bool interlaced, const PictureHeader& header) {
    if (!interlaced) return std::uint64_t{FilteredRowBytes(header.width, format.rawBits)} * static_cast<std::uint64_t>(header.height);
    std::uint64_t total = 0;
    for (int pass = 0; pass < 7; ++pass) {
        const Adam7Pass& p = kAdam7[pass];
        if (header.width <= p.firstColumn || header.height <= p.firstRow) continue;
        const auto rows = static_cast<std::uint64_t>((header.height - p.firstRow - 1) / p.rowStep + 1);
        total += rows * FilteredRowBytes(PassWidth(pass, header.width), format.rawBits);
    }
    return total;
}

// The filtered rows of one pass in turn, unfiltered and converted. Three
// working rows: current, previous (the prior row of the filters) and
// converted.
class TRowDecoder {
public:
    TRowDecoder(TPngImageData& data, const RowFormat& format, std::int64_t width)
        : data_(data), format_(format), distance_((format.rawBits + 7) / 8) {
        const auto size = static_cast<std::size_t>(WorkingRowBytes(format, width));
        current_ = WorkBuffer<std::uint8_t>(size);
        previous_ = WorkBuffer<std::uint8_t>(size);
        if (format.convert != nullptr) converted_ = WorkBuffer<std::uint8_t>(size);
    }

    // The first row of a pass filters against a row of zeros.
    void StartPass(std::int64_t passWidth) {
        passWidth_ = passWidth;
        rowBytes_ = FilteredRowBytes(passWidth, format_.rawBits);
        std::memset(previous_.data(), 0, rowBytes_);
    }

    // The next row's pixels at the output depth, valid until the next call.
    const std::uint8_t* Next() {
        data_.Read(current_.data(), rowBytes_);
        if (!UnfilterRow(current_.data(), previous_.data(), rowBytes_ - 1, distance_))
            throw EQXPNGLE("not support Filter");
        const std::uint8_t* pixels = current_.data() + 1;
        if (format_.convert != nullptr) {
            format_.convert(pixels, converted_.data(), passWidth_);
            pixels = converted_.data();
        }
        std::swap(current_, previous_);  // pixels stays valid: the buffer is only moved
        return pixels;
    }

private:
    TPngImageData& data_;
    RowFormat format_;
    int distance_;
    std::int64_t passWidth_ = 0;
    std::size_t rowBytes_ = 0;
    std::vector<std::uint8_t> current_;
    std::vector<std::uint8_t> previous_;
    std::vector<std::uint8_t> converted_;
};

void DecodePlain(TRowDecoder& rows, const PictureHeader& header, TRowSink& sink) {
    rows.StartPass(header.width);
    for (std::int32_t y = 0; y < header.height; ++y) sink.Row(rows.Next());
}

// Picture rows for the seven passes to be placed into, packed at the output
// depth: the sink's own rows when it offers them, else a buffer of the
// whole picture taken when the first pass row is decoded, whose rows go to
// the sink at the end. Pixels no pass reaches keep what the storage held (a
// complete file reaches them all).
class TInterlacedPicture {
public:
    TInterlacedPicture(const PictureHeader& header, TRowSink& sink)
        : sink_(sink),
          height_(header.height),
          rowBytes_(static_cast<std::size_t>((std::int64_t{header.width} * header.bitsPerPixel + 7) / 8)),
          direct_(sink.StoredRow(0) != nullptr) {}

    std::uint8_t* Row(std::int32_t y) {
        if (direct_) return sink_.StoredRow(y);
        if (buffer_.empty()) buffer_ = WorkBuffer<std::uint8_t>(rowBytes_ * static_cast<std::size_t>(height_));
        return buffer_.data() + static_cast<std::size_t>(y) * rowBytes_;
    }

    void Deliver() {
        if (direct_) return;
        for (std::int32_t y = 0; y < height_; ++y) sink_.Row(buffer_.data() + static_cast<std::size_t>(y) * rowBytes_);
    }

private:
    TRowSink& sink_;
    std::int32_t height_;
    std::size_t rowBytes_;
    bool direct_;
    std::vector<std::uint8_t> buffer_;
};

void DecodeAdam7(TRowDecoder& rows, const RowFormat& format, const PictureHeader& header, TRowSink& sink) {
    TInterlacedPicture picture(header, sink);
    const PlacePixels place = PlacementFor(format.outputBits);
    for (int pass = 0; pass < 7; ++pass) {
        const Adam7Pass& p = kAdam7[pass];
        const std::int64_t passWidth = PassWidth(pass, header.width);
        rows.StartPass(passWidth);
        for (std::int32_t y = 0; y < header.height; ++y) {
            if (!RowInPass(pass, y, header.width, header.height)) continue;
            const std::uint8_t* pixels = rows.Next();
            place(picture.Row(y), pixels, passWidth, p.firstColumn, p.columnStep);
        }
    }
    picture.Deliver();
}

}  // namespace

std::int64_t WorkingRowBytes(const RowFormat& format, std::int64_t width) {
    return ((width * format.bufferBits + 7) / 8 + 12 + 3) / 4 * 4;
}

void DecodeImageRows(TPngBytes& bytes, std::int32_t& remaining, const RowFormat& format, bool interlaced,
                     const PictureHeader& header, TRowSink& sink) {
    TPngImageData data(bytes, remaining, ImageDataBytes(format, interlaced, header));
    TRowDecoder rows(data, format, header.width);
    if (interlaced)
        DecodeAdam7(rows, format, header, sink);
    else
        DecodePlain(rows, header, sink);
    data.Finish();
}

}  // namespace imvexa::png
