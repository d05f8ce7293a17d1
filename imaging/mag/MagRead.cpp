// The MAG file's parts. Every position taken from the file is checked against
// the file's size before it is read.
#include "MagRead.h"

#include <algorithm>
#include <cstring>

#include "Bitmap.h"

namespace imvexa {

namespace {

std::string TextOf(const std::uint8_t* first, const std::uint8_t* last) {
    return std::string(reinterpret_cast<const char*>(first), reinterpret_cast<const char*>(last));
}

// Width and height of the picture: from the start of the flag byte that
// holds left X to the end of the one that holds right X, top Y to bottom Y.
void SetPictureSize(MagLayout& layout, TPictureHolding holding) {
    const MagHeader& header = layout.header;
    const std::int64_t u = MagFlagBytePixels(layout.colorMode);
    const std::int64_t width = (header.rightX - header.rightX % u + u - 1) - (header.leftX - header.leftX % u) + 1;
    const std::int64_t height = std::int64_t{header.bottomY} - header.topY + 1;
    if (width <= 0 || height <= 0) throw EMagError("picture is empty");
    const int bitsPerPixel = layout.colorMode == 1 ? 8 : 4;
    if (!WithinHoldingLimits(holding, width, height, RowStride(static_cast<std::int32_t>(width), bitsPerPixel)))
        throw EMagError("picture is too large");
    layout.width = static_cast<std::int32_t>(width);
    layout.height = static_cast<std::int32_t>(height);
}

// Flag positions of the picture: one per flag byte of every row.
std::int64_t FlagPositions(const MagLayout& layout) {
    return std::int64_t{layout.width} / MagFlagBytePixels(layout.colorMode) * layout.height;
}

// Whether count bytes from base + offset lie inside the file.
bool FitsInFile(std::span<const std::uint8_t> bytes, const MagLayout& layout, std::uint64_t offset,
                std::uint64_t count) {
    return layout.base + offset + count <= bytes.size();
}

}  // namespace

MagLayout ReadMagLayout(std::span<const std::uint8_t> bytes, TPictureHolding holding) {
    if (bytes.size() < kMagSignatureSize || std::memcmp(bytes.data(), kMagSignature, kMagSignatureSize) != 0)
        throw EMagError("is not MAG.");
    if (bytes.size() < kMagLeadInSize) throw EMagError("lead-in is cut short");

    MagLayout layout;
    const std::uint8_t* const first = bytes.data();
    const std::uint8_t* const last = first + bytes.size();
    std::copy_n(first, kMagLeadInSize, layout.leadIn.begin());

    const std::uint8_t* const commentEnd = std::find(first + kMagLeadInSize, last, kMagCommentEnd);
    if (commentEnd == last) throw EMagError("no 0x1A after the comment");
    const std::uint8_t* const header = commentEnd + 1;
    if (last - header < static_cast<std::ptrdiff_t>(kMagHeaderSize)) throw EMagError("header is cut short");
    std::copy_n(header, kMagHeaderSize, layout.headerBytes.begin());
    const std::uint8_t* const zero = std::find(first, header + 1, 0);
    if (zero > header) throw EMagError("no 0x00 byte before the header");
    layout.base = static_cast<std::size_t>(zero - first);

    layout.header = MagHeader::Parse(layout.headerBytes);
    layout.colorMode = layout.header.Has256Colors() ? 1 : 0;
    SetPictureSize(layout, holding);
    const int u = MagFlagBytePixels(layout.colorMode);
    layout.properties.Comment = TextOf(first + kMagLeadInSize, commentEnd);
    layout.properties.UserName = TextOf(first + kMagUserNameOffset, first + kMagUserNameOffset + kMagUserNameSize);
    layout.properties.Is200Line = layout.header.Is200Line();
    layout.properties.TopY = layout.header.topY;
    layout.properties.LeftX = static_cast<std::uint16_t>(layout.header.leftX - layout.header.leftX % u);

    if (!FitsInFile(bytes, layout, kMagHeaderSize, 3 * static_cast<std::uint64_t>(MagColorCount(layout.colorMode))))
        throw EMagError("palette runs past the end of the file");
    const auto flagABytes = static_cast<std::uint64_t>((FlagPositions(layout) + 7) / 8);
    if (!FitsInFile(bytes, layout, layout.header.flagAOffset, flagABytes))
        throw EMagError("flag A runs past the end of the file");
    return layout;
}

std::vector<PaletteEntry> ReadMagPalette(std::span<const std::uint8_t> bytes, const MagLayout& layout) {
    const std::uint8_t* entry = bytes.data() + layout.base + kMagHeaderSize;
    std::vector<PaletteEntry> colors(static_cast<std::size_t>(MagColorCount(layout.colorMode)));
    for (PaletteEntry& color : colors) {
        color = PaletteEntry{entry[1], entry[0], entry[2], 0};  // stored green, red, blue
        entry += 3;
    }
    return colors;
}

}  // namespace imvexa
