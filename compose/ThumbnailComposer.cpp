#include "ThumbnailComposer.h"

#include <cstring>

#include "BitmapRows.h"
#include "RuntimeErrors.h"
#include "ThumbnailFormat.h"

namespace imvexa {

void TThumbnailComposer::Begin(const PictureHeader& header) {
    width_ = header.width;
    height_ = header.height;
    order_ = header.order;
    rowsTaken_ = 0;
    reduction_.reset();
    layout_ = LayOutThumbnail(width_, height_, edge_);
    const std::vector<PaletteEntry>& colors = header.colors;
    const Rect& target = layout_.target;
    if (!layout_.scaled) {
        CreateThumbnail(thumbnail_, edge_, ThumbnailPixelFormat(PixelFormatForBits(header.bitsPerPixel), colors));
        conversion_.emplace(header.bitsPerPixel, colors, thumbnail_.BitsPerPixel(), thumbnail_.ColorTable());
        return;
    }
    CreateThumbnail(thumbnail_, edge_, {});
    conversion_.emplace(header.bitsPerPixel, colors, 24, std::vector<PaletteEntry>{});
    widened_.assign(header.bitsPerPixel == 24 ? 0 : 3 * static_cast<std::size_t>(width_), 0);
    reduction_.emplace(width_, height_, target.right - target.left, target.bottom - target.top, order_,
                       [this](std::int32_t row, const std::uint8_t* pixels) {
                           const Rect& box = layout_.target;
                           std::memcpy(thumbnail_.ScanLine(box.top + row) + 3 * static_cast<std::size_t>(box.left),
                                       pixels, 3 * static_cast<std::size_t>(box.right - box.left));
                       });
}

void TThumbnailComposer::Row(const std::uint8_t* pixels) {
    IMVEXA_ASSERT(conversion_ && rowsTaken_ < height_, "TThumbnailComposer: Too Many Rows", "ThumbnailComposer");
    const std::int32_t taken = rowsTaken_++;
    if (reduction_) {
        if (!widened_.empty()) {
            conversion_->Convert(pixels, widened_.data(), 0, width_);
            pixels = widened_.data();
        }
        reduction_->AddRow(pixels);
        return;
    }
    const std::int32_t y = order_ == TRowOrder::TopDown ? taken : height_ - 1 - taken;
    conversion_->Convert(pixels, thumbnail_.ScanLine(layout_.target.top + y), layout_.target.left, width_);
}

}  // namespace imvexa
