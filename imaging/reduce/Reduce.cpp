// ReduceImage streams the source's rows through a TBoxReduction in the order
// they lie in memory; AverageBox reads one box through the clamping Pixels.
#include "Reduce.h"

#include <cstring>

#include "BoxReduction.h"
#include "BoxSpan.h"

namespace imvexa {

void ReduceImage(TZdDIB& source, TZdDIB& target, std::int32_t width, std::int32_t height) {
    source.SetPixelFormat(zdPf24Bit);
    // Holds the source picture while the target is resized, in case they are
    // the same image or share their storage.
    TZdDIB original;
    original.Assign(&source);
    target.SetPixelFormat(zdPf24Bit);
    target.SetWidth(width);
    target.SetHeight(height);
    target.UniqueDIB();
    const TZdDIBInfo& from = original.InternalDIB().Info;
    const TZdDIBInfo& to = target.InternalDIB().Info;
    const bool bottomUp = from.Header.biHeight > 0;
    const std::int32_t sourceHeight = original.Height();
    TBoxReduction reduction(original.Width(), sourceHeight, width, target.Height(),
                            bottomUp ? TRowOrder::BottomUp : TRowOrder::TopDown,
                            [&](std::int32_t row, const std::uint8_t* pixels) {
                                std::memcpy(DIBRow(to, row), pixels, 3 * static_cast<std::size_t>(width));
                            });
    for (std::int32_t i = 0; i < sourceHeight; ++i) reduction.AddRow(DIBRow(from, bottomUp ? sourceHeight - 1 - i : i));
}

std::uint32_t AverageBox(const TZdDIB& source, double x0, double y0, double x1, double y1) {
    const BoxSpan columns = SpanOf(x0, x1, source.Width());
    const BoxSpan rows = SpanOf(y0, y1, source.Height());
    std::uint64_t red = 0, green = 0, blue = 0;
    rows.ForEachPixel(source.Height(), [&](std::int64_t y, std::int64_t rowTimes) {
        columns.ForEachPixel(source.Width(), [&](std::int64_t x, std::int64_t columnTimes) {
            const std::uint32_t color = source.Pixels(static_cast<int>(x), static_cast<int>(y));
            const auto times = static_cast<std::uint64_t>(rowTimes * columnTimes);
            red += times * (color & 0xFF);
            green += times * (color >> 8 & 0xFF);
            blue += times * (color >> 16 & 0xFF);
        });
    });
    const auto count = static_cast<std::uint64_t>(columns.count * rows.count);
    return std::uint32_t{Mean(red, count)} | std::uint32_t{Mean(green, count)} << 8 |
           std::uint32_t{Mean(blue, count)} << 16;
}

}  // namespace imvexa
