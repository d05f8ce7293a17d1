#include "BitFieldPixels.h"

#include "ZdDIBErrors.h"

namespace imvexa {

namespace {

const BitFieldMasks& NonZero(const BitFieldMasks& masks) {
    if (masks.red == 0 || masks.green == 0 || masks.blue == 0)
        throw EZdDIBInvalidDIB("TZdInternalDIB.LoadFromStream: Invalid Masks");
    return masks;
}

}  // namespace

BitFieldMasks DefaultBitFieldMasks(int bitCount) {
    return bitCount == 16 ? BitFieldMasks{0x7C00, 0x03E0, 0x001F} : BitFieldMasks{0xFF0000, 0x00FF00, 0x0000FF};
}

ChannelScale::ChannelScale(std::uint32_t mask) : mask_(mask) {
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

TBitFieldRows::TBitFieldRows(const BitFieldMasks& masks, int bitCount)
    : red_(NonZero(masks).red), green_(masks.green), blue_(masks.blue), bytesPerPixel_(bitCount / 8) {}

void TBitFieldRows::Convert(const std::uint8_t* source, std::uint8_t* target, std::int64_t width) const {
    for (std::int64_t x = 0; x < width; ++x) {
        const std::uint8_t* from = source + x * bytesPerPixel_;
        const std::uint32_t pixel = bytesPerPixel_ == 2 ? std::uint32_t{from[0]} | std::uint32_t{from[1]} << 8
                                                        : std::uint32_t{from[0]} | std::uint32_t{from[1]} << 8 |
                                                              std::uint32_t{from[2]} << 16 |
                                                              std::uint32_t{from[3]} << 24;
        target[3 * x] = blue_(pixel);
        target[3 * x + 1] = green_(pixel);
        target[3 * x + 2] = red_(pixel);
    }
}

}  // namespace imvexa
