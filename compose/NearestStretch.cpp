#include "NearestStretch.h"

#include <algorithm>
#include <cstring>

#include "RuntimeErrors.h"
#include "ThumbnailFormat.h"

namespace imvexa {

namespace {

// For each of count target positions, the source position under its centre
// among size source positions.
std::vector<std::int32_t> NearestPositions(std::int32_t count, std::int32_t size) {
    std::vector<std::int32_t> positions(static_cast<std::size_t>(std::max(count, 0)));
    for (std::size_t i = 0; i < positions.size(); ++i)
        positions[i] = static_cast<std::int32_t>((2 * static_cast<std::int64_t>(i) + 1) * size / (2 * std::int64_t{count}));
    return positions;
}

}  // namespace

void TNearestStretch::Begin(const PictureHeader& header) {
    CreateThumbnail(thumbnail_, edge_, {});
    height_ = header.height;
    order_ = header.order;
    rowsTaken_ = 0;
    conversion_.emplace(header.bitsPerPixel, header.colors, 24, std::vector<PaletteEntry>{});
    columns_ = NearestPositions(target_.right - target_.left, header.width);
    sourceRows_ = NearestPositions(target_.bottom - target_.top, header.height);
    widened_.assign(3 * static_cast<std::size_t>(std::max(header.width, 0)), 0);
}

void TNearestStretch::Row(const std::uint8_t* pixels) {
    IMVEXA_ASSERT(conversion_ && rowsTaken_ < height_, "TNearestStretch: Too Many Rows", "NearestStretch");
    const std::int32_t taken = rowsTaken_++;
    const std::int32_t y = order_ == TRowOrder::TopDown ? taken : height_ - 1 - taken;
    const auto [first, last] = std::equal_range(sourceRows_.begin(), sourceRows_.end(), y);
    if (first == last) return;
    conversion_->Convert(pixels, widened_.data(), 0, static_cast<std::int32_t>(widened_.size() / 3));
    const std::int32_t top = target_.top + static_cast<std::int32_t>(first - sourceRows_.begin());
    std::uint8_t* picked = thumbnail_.ScanLine(top) + 3 * static_cast<std::size_t>(target_.left);
    for (std::size_t x = 0; x < columns_.size(); ++x)
        std::memcpy(picked + 3 * x, widened_.data() + 3 * static_cast<std::size_t>(columns_[x]), 3);
    for (std::int32_t row = top + 1; row < top + (last - first); ++row)
        std::memcpy(thumbnail_.ScanLine(row) + 3 * static_cast<std::size_t>(target_.left), picked, 3 * columns_.size());
}

}  // namespace imvexa
