#include "MetafileHeader.h"

#include <cstring>

#include "PixelLimits.h"

namespace imvexa {

namespace {

std::uint16_t Word(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
std::int32_t Long(const std::uint8_t* p) {
    return static_cast<std::int32_t>(Word(p) | static_cast<std::uint32_t>(Word(p + 2)) << 16);
}
std::int16_t Short(const std::uint8_t* p) { return static_cast<std::int16_t>(Word(p)); }

// value × numerator ÷ denominator, rounded, in 64 bits.
std::int64_t Scale(std::int64_t value, std::int64_t numerator, std::int64_t denominator) {
    const std::int64_t product = value * numerator;
    return (product + (product >= 0 ? denominator / 2 : -denominator / 2)) / denominator;
}

int CheckedDimension(std::int64_t pixels) {
    if (pixels <= 0 || pixels > kMaxPictureDimension) throw EMetafileError("Metafile has an invalid size");
    return static_cast<int>(pixels);
}

constexpr std::size_t kEnhancedHeaderSize = 88;
constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7;

MetafileInfo ReadEnhanced(const std::uint8_t* data, std::size_t size) {
    if (size < kEnhancedHeaderSize) throw EMetafileError("Enhanced metafile header is truncated");
    const std::int64_t frameWidth = std::int64_t{Long(data + 32)} - Long(data + 24);  // 0.01 mm
    const std::int64_t frameHeight = std::int64_t{Long(data + 36)} - Long(data + 28);
    const std::int64_t deviceWidth = Long(data + 72), deviceHeight = Long(data + 76);        // pixels
    const std::int64_t millimetresWidth = Long(data + 80), millimetresHeight = Long(data + 84);
    if (millimetresWidth <= 0 || millimetresHeight <= 0) throw EMetafileError("Enhanced metafile has no reference device");
    MetafileInfo info;
    info.kind = MetafileKind::Enhanced;
    info.width = CheckedDimension(Scale(frameWidth, deviceWidth, millimetresWidth * 100));
    info.height = CheckedDimension(Scale(frameHeight, deviceHeight, millimetresHeight * 100));
    return info;
}

MetafileInfo ReadPlaceable(const std::uint8_t* data, std::size_t size, int screenPixelsPerInch) {
    if (size <= kPlaceableHeaderSize || static_cast<std::uint32_t>(Long(data)) != kPlaceableKey)
        throw EMetafileError("Not a metafile");
    std::uint16_t checksum = 0;
    for (std::size_t i = 0; i < 10; ++i) checksum ^= Word(data + 2 * i);
    if (checksum != Word(data + 20)) throw EMetafileError("Metafile header checksum is wrong");
    MetafileInfo info;
    info.kind = MetafileKind::Placeable;
    info.boxWidth = Short(data + 10) - Short(data + 6);
    info.boxHeight = Short(data + 12) - Short(data + 8);
    info.unitsPerInch = Word(data + 14) ? Word(data + 14) : 96;
    info.width = CheckedDimension(Scale(info.boxWidth, screenPixelsPerInch, info.unitsPerInch));
    info.height = CheckedDimension(Scale(info.boxHeight, screenPixelsPerInch, info.unitsPerInch));
    return info;
}

}  // namespace

MetafileInfo ReadMetafileHeader(const std::uint8_t* data, std::size_t size, int screenPixelsPerInch) {
    if (size >= 44 && std::memcmp(data + 40, " EMF", 4) == 0) return ReadEnhanced(data, size);
    return ReadPlaceable(data, size, screenPixelsPerInch);
}

}  // namespace imvexa
