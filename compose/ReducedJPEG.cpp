#include "ReducedJPEG.h"

#include "JPEGDecode.h"

namespace imvexa {

namespace {

// The library's reduced size: the full size divided by 2^shift, rounded up.
std::int64_t ReducedSize(int size, int shift) {
    return (std::int64_t{size} + (std::int64_t{1} << shift) - 1) >> shift;
}

}  // namespace

TJPEGScale ReducedJPEGScale(int width, int height, const ThumbnailLayout& layout) {
    if (!layout.scaled) return TJPEGScale::FullSize;
    const std::int64_t targetWidth = layout.target.right - layout.target.left;
    const std::int64_t targetHeight = layout.target.bottom - layout.target.top;
    for (TJPEGScale scale : {TJPEGScale::Eighth, TJPEGScale::Quarter, TJPEGScale::Half}) {
        const int shift = static_cast<int>(scale);
        if (ReducedSize(width, shift) >= 2 * targetWidth && ReducedSize(height, shift) >= 2 * targetHeight)
            return scale;
    }
    return TJPEGScale::FullSize;
}

ReducedJPEG PlanReducedJPEG(std::span<const std::uint8_t> bytes, int edge) {
    const JPEGSize size = ReadJPEGHeader(bytes).size;
    ReducedJPEG plan;
    plan.layout = LayOutThumbnail(size.width, size.height, edge);
    plan.scale = ReducedJPEGScale(size.width, size.height, plan.layout);
    return plan;
}

void DecodeReducedJPEG(std::span<const std::uint8_t> bytes, const ReducedJPEG& plan, TRowSink& sink) {
    TJPEGSettings settings;
    settings.Scale = plan.scale;
    DecodeJPEG(bytes, settings, sink);
}

}  // namespace imvexa
