#include "MagTypes.h"

#include <cstring>

namespace imvexa {

namespace {

// Byte offsets of the header fields.
constexpr std::size_t kScreenMode = 3;
constexpr std::size_t kLeftX = 4;
constexpr std::size_t kTopY = 6;
constexpr std::size_t kRightX = 8;
constexpr std::size_t kBottomY = 10;
constexpr std::size_t kFlagAOffset = 12;
constexpr std::size_t kFlagBOffset = 16;
constexpr std::size_t kFlagBSize = 20;
constexpr std::size_t kPixelOffset = 24;
constexpr std::size_t kPixelSize = 28;

template <class T>
T GetLittle(const MagBlock& block, std::size_t offset) {
    T value = 0;
    for (std::size_t i = sizeof(T); i-- > 0;) value = static_cast<T>(value << 8 | block[offset + i]);
    return value;
}

template <class T>
void PutLittle(MagBlock& block, std::size_t offset, T value) {
    for (std::size_t i = 0; i < sizeof(T); ++i) block[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace

MagBlock FreshMagLeadIn() {
    MagBlock leadIn;
    leadIn.fill(' ');
    std::memcpy(leadIn.data(), kMagSignature, kMagSignatureSize);
    std::memcpy(leadIn.data() + kMagSignatureSize, kMagWriterTag, 4);
    return leadIn;
}

MagHeader MagHeader::Parse(const MagBlock& block) {
    MagHeader header;
    header.screenMode = block[kScreenMode];
    header.leftX = GetLittle<std::uint16_t>(block, kLeftX);
    header.topY = GetLittle<std::uint16_t>(block, kTopY);
    header.rightX = GetLittle<std::uint16_t>(block, kRightX);
    header.bottomY = GetLittle<std::uint16_t>(block, kBottomY);
    header.flagAOffset = GetLittle<std::uint32_t>(block, kFlagAOffset);
    header.flagBOffset = GetLittle<std::uint32_t>(block, kFlagBOffset);
    header.flagBSize = GetLittle<std::uint32_t>(block, kFlagBSize);
    header.pixelOffset = GetLittle<std::uint32_t>(block, kPixelOffset);
    header.pixelSize = GetLittle<std::uint32_t>(block, kPixelSize);
    return header;
}

MagBlock MagHeader::Pack() const {
    MagBlock block{};
    block[kScreenMode] = screenMode;
    PutLittle(block, kLeftX, leftX);
    PutLittle(block, kTopY, topY);
    PutLittle(block, kRightX, rightX);
    PutLittle(block, kBottomY, bottomY);
    PutLittle(block, kFlagAOffset, flagAOffset);
    PutLittle(block, kFlagBOffset, flagBOffset);
    PutLittle(block, kFlagBSize, flagBSize);
    PutLittle(block, kPixelOffset, pixelOffset);
    PutLittle(block, kPixelSize, pixelSize);
    return block;
}

}  // namespace imvexa
