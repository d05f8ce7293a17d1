#include "SizedThumbnail.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "AlphaWeighting.h"
#include "BuiltInDecoders.h"
#include "RuntimeErrors.h"
#include "ThumbnailLayout.h"
#include "WorkBuffer.h"

namespace imvexa {

namespace {

constexpr int kBgraBytes = 4;

void BgrToOpaqueBgra(const std::uint8_t* bgr, std::uint8_t* bgra, std::int64_t count) {
    for (std::int64_t i = 0; i < count; ++i, bgr += 3, bgra += kBgraBytes) {
        std::memcpy(bgra, bgr, 3);
        bgra[3] = 255;
    }
}

}  // namespace

TFittedSize FitThumbnailSize(std::int32_t width, std::int32_t height, int size) {
    if (width < 1 || height < 1 || size < 1) return {};
    if (width <= size && height <= size) return {width, height};
    const ScaledSize scaled = ScaleIntoSquare(width, height, size);
    return {std::max(scaled.width, 1), std::max(scaled.height, 1)};
}

void TSizedComposer::Begin(const PictureHeader& header) {
    IMVEXA_ASSERT(header.alpha == (header.bitsPerPixel == 32), "TSizedComposer: Alpha Rows", "SizedThumbnail");
    picture_ = {};
    reduction_.reset();
    conversion_.reset();
    rowsTaken_ = 0;
    sourceWidth_ = header.width;
    sourceHeight_ = header.height;
    order_ = header.order;
    if (sourceWidth_ < 1 || sourceHeight_ < 1) return;
    const TFittedSize fitted = FitThumbnailSize(sourceWidth_, sourceHeight_, size_);
    const bool scaled = fitted != TFittedSize{sourceWidth_, sourceHeight_};
    const auto sourcePixels = static_cast<std::size_t>(sourceWidth_);
    if (header.alpha) {
        if (scaled) work_ = WorkBuffer<std::uint8_t>(kAlphaWeightedBytes * sourcePixels);
    } else {
        if (header.bitsPerPixel != 24) {
            conversion_.emplace(header.bitsPerPixel, header.colors, 24, std::vector<PaletteEntry>{});
            work_ = WorkBuffer<std::uint8_t>(3 * sourcePixels);
        }
    }
    if (scaled) {
        // A size below 1 leaves no pixel: the reduction refuses it.
        reduction_.emplace(sourceWidth_, sourceHeight_, fitted.width, fitted.height, order_,
                           [this](std::int32_t row, const std::uint8_t* pixels) { PutReducedRow(row, pixels); },
                           header.alpha ? kBoxAlphaWeighted : kBoxMeans);
    }
    picture_.width = fitted.width;
    picture_.height = fitted.height;
    picture_.hasAlpha = header.alpha;
    picture_.pixels = WorkBuffer<std::uint8_t>(kBgraBytes * static_cast<std::size_t>(fitted.width) *
                                               static_cast<std::size_t>(fitted.height));
}

void TSizedComposer::Row(const std::uint8_t* pixels) {
    IMVEXA_ASSERT(rowsTaken_ < sourceHeight_ && sourceWidth_ > 0, "TSizedComposer: Too Many Rows", "SizedThumbnail");
    const std::int32_t taken = rowsTaken_++;
    if (conversion_) {
        conversion_->Convert(pixels, work_.data(), 0, sourceWidth_);
        pixels = work_.data();
    }
    if (reduction_) {
        if (picture_.hasAlpha) {
            WeightByAlpha(pixels, work_.data(), sourceWidth_);
            pixels = work_.data();
        }
        reduction_->AddRow(pixels);
        return;
    }
    std::uint8_t* row = PictureRow(order_ == TRowOrder::TopDown ? taken : sourceHeight_ - 1 - taken);
    if (picture_.hasAlpha)
        std::memcpy(row, pixels, kBgraBytes * static_cast<std::size_t>(sourceWidth_));
    else
        BgrToOpaqueBgra(pixels, row, sourceWidth_);
}

TBgraPicture TSizedComposer::TakePicture() {
    reduction_.reset();
    conversion_.reset();
    sourceWidth_ = sourceHeight_ = 0;
    return std::exchange(picture_, {});
}

std::uint8_t* TSizedComposer::PictureRow(std::int32_t y) {
    return picture_.pixels.data() + kBgraBytes * static_cast<std::size_t>(picture_.width) * static_cast<std::size_t>(y);
}

void TSizedComposer::PutReducedRow(std::int32_t row, const std::uint8_t* pixels) {
    if (picture_.hasAlpha)
        std::memcpy(PictureRow(row), pixels, kBgraBytes * static_cast<std::size_t>(picture_.width));
    else
        BgrToOpaqueBgra(pixels, PictureRow(row), picture_.width);
}

bool ComposeBuiltInAtSize(std::span<const std::uint8_t> bytes, const std::string& extension, int size,
                          TBgraPicture& picture) {
    TSizedComposer composer(size);
    if (!DecodeBuiltInRows(bytes, extension, composer, {.alpha = true})) return false;
    picture = composer.TakePicture();
    return true;
}

}  // namespace imvexa
