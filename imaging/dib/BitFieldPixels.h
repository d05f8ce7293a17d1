#pragma once
// 16- and 32-bit BMP pixels: red, green and blue masks pick the channels out
// of each pixel value, which become blue-green-red bytes of 8 bits each.
#include <cstdint>

namespace imvexa {

// Red, green and blue masks of 16- and 32-bit pixels.
struct BitFieldMasks {
    std::uint32_t red;
    std::uint32_t green;
    std::uint32_t blue;
};
static_assert(sizeof(BitFieldMasks) == 12);

// The masks of 16-bit (5-5-5) and 32-bit (8-8-8) pixels without bit fields.
BitFieldMasks DefaultBitFieldMasks(int bitCount);

// Scales one channel of a pixel to 8 bits: the mask is shifted so that its
// top bit lands on bit 7, and the shifted value is stretched from
// 0..divisor to 0..255.
class ChannelScale {
public:
    explicit ChannelScale(std::uint32_t mask);

    std::uint8_t operator()(std::uint32_t pixel) const {
        const std::uint32_t value = shift_ >= 0 ? (pixel & mask_) >> shift_ : (pixel & mask_) << -shift_;
        return static_cast<std::uint8_t>(value * 255 / divisor_);
    }

private:
    std::uint32_t mask_;
    int shift_ = 0;
    std::uint32_t divisor_ = 128;
};

// Turns rows of 16- or 32-bit pixels into rows of 24-bit pixels.
class TBitFieldRows {
public:
    // EZdDIBInvalidDIB "TZdInternalDIB.LoadFromStream: Invalid Masks" for a zero mask.
    TBitFieldRows(const BitFieldMasks& masks, int bitCount);

    // Converts width pixels from source into 3 · width bytes at target.
    void Convert(const std::uint8_t* source, std::uint8_t* target, std::int64_t width) const;

private:
    ChannelScale red_;
    ChannelScale green_;
    ChannelScale blue_;
    int bytesPerPixel_;
};

}  // namespace imvexa
