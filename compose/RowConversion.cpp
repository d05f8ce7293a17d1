#include "RowConversion.h"

#include <algorithm>
#include <cstring>

#include "PackedPixels.h"

namespace imvexa {

namespace {

bool SameColor(const PaletteEntry& a, const PaletteEntry& b) {
    return a.red == b.red && a.green == b.green && a.blue == b.blue;
}

std::uint32_t NearestIndex(const PaletteEntry& color, const std::vector<PaletteEntry>& table) {
    std::uint32_t best = 0;
    int bestDistance = 1 << 30;
    for (std::size_t i = 0; i < table.size(); ++i) {
        const int dr = color.red - table[i].red, dg = color.green - table[i].green, db = color.blue - table[i].blue;
        const int distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = static_cast<std::uint32_t>(i);
        }
    }
    return best;
}

}  // namespace

TRowConversion::TRowConversion(int fromBits, const std::vector<PaletteEntry>& fromColors, int toBits,
                               const std::vector<PaletteEntry>& toColors)
    : fromBits_(fromBits), toBits_(toBits) {
    copy_ = fromBits == toBits &&
            (fromBits > 8 || std::equal(fromColors.begin(), fromColors.end(), toColors.begin(), toColors.end(), SameColor));
    if (copy_ || fromBits > 8) return;
    lookup_.resize(std::size_t{1} << fromBits);
    for (std::size_t index = 0; index < lookup_.size(); ++index) {
        const PaletteEntry color = index < fromColors.size() ? fromColors[index] : PaletteEntry{0, 0, 0, 0};
        lookup_[index] = toBits <= 8 ? NearestIndex(color, toColors)
                                     : std::uint32_t{color.red} << 16 | std::uint32_t{color.green} << 8 | color.blue;
    }
}

void TRowConversion::Convert(const std::uint8_t* from, std::uint8_t* to, std::int32_t left,
                             std::int32_t width) const {
    if (copy_ && toBits_ >= 8) {
        std::memcpy(to + static_cast<std::size_t>(left) * (toBits_ / 8), from,
                    static_cast<std::size_t>(width) * (toBits_ / 8));
    } else if (copy_) {
        for (std::int32_t x = 0; x < width; ++x) SetPackedIndex(to, left + x, toBits_, GetPackedIndex(from, x, fromBits_));
    } else if (toBits_ <= 8) {
        for (std::int32_t x = 0; x < width; ++x)
            SetPackedIndex(to, left + x, toBits_, lookup_[GetPackedIndex(from, x, fromBits_)]);
    } else {
        std::uint8_t* pixel = to + 3 * static_cast<std::size_t>(left);
        for (std::int32_t x = 0; x < width; ++x, pixel += 3) {
            const std::uint32_t color = lookup_[GetPackedIndex(from, x, fromBits_)];
            pixel[0] = static_cast<std::uint8_t>(color);
            pixel[1] = static_cast<std::uint8_t>(color >> 8);
            pixel[2] = static_cast<std::uint8_t>(color >> 16);
        }
    }
}

}  // namespace imvexa
