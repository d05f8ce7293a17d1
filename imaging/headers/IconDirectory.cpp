#include "IconDirectory.h"

#include <cstdlib>
#include <tuple>

namespace imvexa {

namespace {

std::uint16_t Word(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
std::uint32_t DWord(const std::uint8_t* p) { return Word(p) | static_cast<std::uint32_t>(Word(p + 2)) << 16; }

int BitsFromColorCount(int colors) {
    if (colors == 2) return 1;
    if (colors == 16) return 4;
    return 8;  // 256, or 0 for 256 and more
}

constexpr std::size_t kDirectoryHeader = 6;
constexpr std::size_t kEntrySize = 16;

}  // namespace

std::vector<IconImageEntry> ReadIconDirectory(const std::uint8_t* data, std::size_t size) {
    if (size < kDirectoryHeader || Word(data) != 0 || Word(data + 2) != 1) throw EIconError("Not an icon file");
    const std::size_t count = Word(data + 4);
    if (count == 0 || size < kDirectoryHeader + count * kEntrySize) throw EIconError("Icon directory is truncated");

    std::vector<IconImageEntry> entries;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* entry = data + kDirectoryHeader + i * kEntrySize;
        IconImageEntry image;
        image.width = entry[0] ? entry[0] : 256;
        image.height = entry[1] ? entry[1] : 256;
        const int bitCount = Word(entry + 6);
        image.bitsPerPixel = bitCount ? bitCount : BitsFromColorCount(entry[2]);
        image.size = DWord(entry + 8);
        image.offset = DWord(entry + 12);
        if (image.size == 0 || image.offset > size || image.size > size - image.offset)
            throw EIconError("Icon image lies outside the file");
        entries.push_back(image);
    }
    return entries;
}

std::size_t ChooseIconImage(const std::vector<IconImageEntry>& entries, int wantedWidth, int wantedHeight,
                            int displayBits) {
    // Smaller ranks are better: nearness first, then showable, then more colours.
    auto rank = [&](const IconImageEntry& e) {
        const int distance = std::abs(e.width - wantedWidth) + std::abs(e.height - wantedHeight);
        const bool showable = e.bitsPerPixel <= displayBits;
        return std::make_tuple(distance, !showable, showable ? -e.bitsPerPixel : e.bitsPerPixel);
    };
    std::size_t best = 0;
    for (std::size_t i = 1; i < entries.size(); ++i)
        if (rank(entries[i]) < rank(entries[best])) best = i;
    return best;
}

}  // namespace imvexa
