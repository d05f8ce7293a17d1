#pragma once
// Builds BMP files in memory for tests and fuzz seeds. Every field can be
// set, hostile values included; whatever is not set is computed to make a
// well-formed file.
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

namespace imvexa::test {

using Bytes = std::vector<std::uint8_t>;

// Packs rows of pixel values (memory order, first row first) at 1, 4, 8, 16,
// 24 or 32 bits, each row padded to 4 bytes. 24-bit values are 0xRRGGBB;
// 16- and 32-bit values are stored little-endian.
inline Bytes PackRows(int width, int bits, const std::vector<std::vector<std::uint32_t>>& rows) {
    const std::size_t stride = (static_cast<std::size_t>(width) * bits + 31) / 32 * 4;
    Bytes out;
    for (const auto& row : rows) {
        Bytes line;
        if (bits < 8) {
            line.resize(stride);
            for (std::size_t x = 0; x < row.size(); ++x)
                line[x * bits / 8] |= static_cast<std::uint8_t>(row[x] << (8 - bits - x * bits % 8));
        } else {
            for (const std::uint32_t v : row)
                for (int b = 0; b < bits / 8; ++b) line.push_back(static_cast<std::uint8_t>(v >> (8 * b)));
            line.resize(stride);
        }
        out.insert(out.end(), line.begin(), line.end());
    }
    return out;
}

class BmpBuilder {
public:
    BmpBuilder& Type(std::uint16_t value) {
        type_ = value;
        return *this;
    }
    BmpBuilder& FileSize(std::uint32_t value) {
        fileSize_ = value;
        return *this;
    }
    BmpBuilder& PixelOffset(std::uint32_t value) {
        pixelOffset_ = value;
        return *this;
    }
    // 40 (the default), 12 (OS/2 core header) or any other value, which is
    // written in front of a 40-byte header body.
    BmpBuilder& HeaderSize(std::uint32_t value) {
        headerSize_ = value;
        return *this;
    }
    BmpBuilder& Size(std::int32_t width, std::int32_t height) {
        width_ = width;
        height_ = height;
        return *this;
    }
    BmpBuilder& Bits(std::uint16_t value) {
        bits_ = value;
        return *this;
    }
    BmpBuilder& Compression(std::uint32_t value) {
        compression_ = value;
        return *this;
    }
    BmpBuilder& ColorsUsed(std::uint32_t value) {
        colorsUsed_ = value;
        return *this;
    }
    BmpBuilder& Resolution(std::int32_t x, std::int32_t y) {
        xPels_ = x;
        yPels_ = y;
        return *this;
    }
    BmpBuilder& Masks(std::uint32_t red, std::uint32_t green, std::uint32_t blue) {
        masks_ = {red, green, blue};
        return *this;
    }
    // Colours 0xRRGGBB, written as quads (40-byte header) or triples (12-byte).
    BmpBuilder& Colors(std::vector<std::uint32_t> colors) {
        colors_ = std::move(colors);
        return *this;
    }
    BmpBuilder& Pixels(Bytes pixels) {
        pixels_ = std::move(pixels);
        return *this;
    }

    Bytes Build() const {
        Bytes headers;
        if (headerSize_ == 12) {
            Append(headers, std::uint32_t{12});
            Append(headers, static_cast<std::uint16_t>(width_));
            Append(headers, static_cast<std::uint16_t>(height_));
            Append(headers, std::uint16_t{1});
            Append(headers, bits_);
        } else {
            Append(headers, headerSize_);
            Append(headers, width_);
            Append(headers, height_);
            Append(headers, std::uint16_t{1});
            Append(headers, bits_);
            Append(headers, compression_);
            Append(headers, static_cast<std::uint32_t>(pixels_.size()));
            Append(headers, xPels_);
            Append(headers, yPels_);
            Append(headers, colorsUsed_);
            Append(headers, std::uint32_t{0});
        }
        for (std::uint32_t mask : masks_) Append(headers, mask);
        for (std::uint32_t color : colors_) {
            headers.push_back(static_cast<std::uint8_t>(color));
            headers.push_back(static_cast<std::uint8_t>(color >> 8));
            headers.push_back(static_cast<std::uint8_t>(color >> 16));
            if (headerSize_ != 12) headers.push_back(0);
        }

        const std::uint32_t naturalOffset = 14 + static_cast<std::uint32_t>(headers.size());
        const std::uint32_t offset = pixelOffset_.value_or(naturalOffset);
        Bytes file;
        Append(file, type_);
        Append(file, fileSize_.value_or(std::max(offset, naturalOffset) + static_cast<std::uint32_t>(pixels_.size())));
        Append(file, std::uint32_t{0});
        Append(file, offset);
        file.insert(file.end(), headers.begin(), headers.end());
        if (offset > naturalOffset) file.resize(file.size() + (offset - naturalOffset), 0);
        file.insert(file.end(), pixels_.begin(), pixels_.end());
        return file;
    }

private:
    template <class T>
    static void Append(Bytes& out, T value) {
        std::uint8_t bytes[sizeof(T)];
        std::memcpy(bytes, &value, sizeof(T));
        out.insert(out.end(), bytes, bytes + sizeof(T));
    }

    std::uint16_t type_ = 0x4D42;
    std::optional<std::uint32_t> fileSize_;
    std::optional<std::uint32_t> pixelOffset_;
    std::uint32_t headerSize_ = 40;
    std::int32_t width_ = 1;
    std::int32_t height_ = 1;
    std::uint16_t bits_ = 24;
    std::uint32_t compression_ = 0;
    std::uint32_t colorsUsed_ = 0;
    std::int32_t xPels_ = 0;
    std::int32_t yPels_ = 0;
    std::vector<std::uint32_t> masks_;
    std::vector<std::uint32_t> colors_;
    Bytes pixels_;
};

}  // namespace imvexa::test
