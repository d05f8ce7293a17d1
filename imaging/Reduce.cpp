// Box averaging in one sweep over the source. For each target row the bytes
// of its source rows are summed per column, then each target pixel adds up
// the column sums of its box. Coordinates outside the picture are not read
// one by one: a box counts how many of them lie before the first or after the
// last pixel and weighs that edge pixel accordingly, which gives exactly the
// sums of clamped reads.
#include "Reduce.h"

#include <algorithm>
#include <cmath>

#include "RoundedQuotient.h"
#include "RuntimeErrors.h"
#include "WorkBuffer.h"

namespace imvexa {

namespace {

// The coordinates Trunc(from) to Ceil(to) − 1 of a box along an axis of n
// pixels, as clamped reads see them.
struct BoxSpan {
    std::int64_t first;  // the coordinates inside the picture: first to last
    std::int64_t last;  // (none when last < first)
    std::int64_t before;  // coordinates below 0: they read pixel 0
    std::int64_t after;  // coordinates beyond n − 1: they read pixel n − 1
    std::int64_t count;  // all coordinates

    // Calls read(pixel, times) for every pixel that the span reads.
    template <class Read>
    void ForEachPixel(std::int64_t n, Read&& read) const {
        if (before > 0) read(std::int64_t{0}, before);
        for (std::int64_t i = first; i <= last; ++i) read(i, std::int64_t{1});
        if (after > 0) read(n - 1, after);
    }
};

// Keeps the count and the channel sums of any box far inside 64 bits.
constexpr double kMaxCoordinate = 33554432.0;  // 2^25

// Coordinates and sizes fit 32 bits, so they convert through 32-bit integers:
// 32-bit x86 converts those in SSE2 exactly as x64 does, while a 64-bit
// conversion would need the x87 unit there.
double ToDouble(std::int64_t value) { return static_cast<double>(static_cast<std::int32_t>(value)); }
std::int64_t ToInteger(double value) { return static_cast<std::int32_t>(value); }

BoxSpan SpanOf(double from, double to, std::int64_t n) {
    if (!(std::abs(from) <= kMaxCoordinate && std::abs(to) <= kMaxCoordinate)) throw ERangeError();
    const std::int64_t start = ToInteger(std::trunc(from));
    const std::int64_t end = ToInteger(std::ceil(to)) - 1;
    if (end < start) throw ERangeError();
    return BoxSpan{std::max<std::int64_t>(start, 0),
                   std::min(end, n - 1),
                   std::max<std::int64_t>(std::min<std::int64_t>(end, -1) - start + 1, 0),
                   std::max<std::int64_t>(end - std::max(start, n) + 1, 0),
                   end - start + 1};
}

// Adds a row's bytes to 16-bit partial sums, in blocks of a fixed size that
// the compiler turns into vector code.
void AddRow(std::uint16_t* __restrict__ partial, const std::uint8_t* __restrict__ row, std::size_t bytes) {
    constexpr std::size_t kBlock = 32;
    std::size_t i = 0;
    for (; i + kBlock <= bytes; i += kBlock)
        for (std::size_t j = i; j < i + kBlock; ++j) partial[j] = static_cast<std::uint16_t>(partial[j] + row[j]);
    for (; i < bytes; ++i) partial[i] = static_cast<std::uint16_t>(partial[i] + row[i]);
}

// Per byte of a 24-bit row, the sum of that byte over the rows of a box.
class ColumnSums {
public:
    explicit ColumnSums(std::size_t bytes)
        : sums_(WorkBuffer<std::uint32_t>(bytes)), partial_(WorkBuffer<std::uint16_t>(bytes)) {}

    void Sum(const TZdDIBInfo& source, const BoxSpan& rows) {
        std::fill(sums_.begin(), sums_.end(), 0);
        int pending = 0;
        rows.ForEachPixel(std::abs(std::int64_t{source.Header.biHeight}), [&](std::int64_t y, std::int64_t times) {
            const std::uint8_t* row = DIBRow(source, y);
            for (std::int64_t i = 0; i < times; ++i) {
                AddRow(partial_.data(), row, partial_.size());
                if (++pending == kRowsPerFlush) {
                    Flush();
                    pending = 0;
                }
            }
        });
        Flush();
    }

    const std::uint32_t* Data() const { return sums_.data(); }

private:
    // 257 rows of 255 still fit 16 bits.
    static constexpr int kRowsPerFlush = 257;

    void Flush() {
        for (std::size_t i = 0; i < sums_.size(); ++i) sums_[i] += partial_[i];
        std::fill(partial_.begin(), partial_.end(), 0);
    }

    std::vector<std::uint32_t> sums_;
    std::vector<std::uint16_t> partial_;
};

std::uint8_t Mean(std::uint64_t sum, std::uint64_t count) {
    return static_cast<std::uint8_t>(RoundedQuotient(sum, count));
}

// Writes every pixel of the 24-bit target from the 24-bit source.
void FillReduced(const TZdDIBInfo& source, const TZdDIBInfo& target) {
    const std::int64_t sourceWidth = source.Header.biWidth;
    const std::int64_t sourceHeight = std::abs(std::int64_t{source.Header.biHeight});
    const std::int64_t width = target.Header.biWidth;
    const std::int64_t height = std::abs(std::int64_t{target.Header.biHeight});
    const double sx = ToDouble(sourceWidth) / ToDouble(width);
    const double sy = ToDouble(sourceHeight) / ToDouble(height);

    auto columnSpans = WorkBuffer<BoxSpan>(static_cast<std::size_t>(width));
    for (std::int64_t x = 0; x < width; ++x)
        columnSpans[static_cast<std::size_t>(x)] =
            SpanOf(ToDouble(x) * sx, ToDouble(x + 1) * sx, sourceWidth);
    ColumnSums columnSums(static_cast<std::size_t>(3 * sourceWidth));

    for (std::int64_t y = 0; y < height; ++y) {
        const BoxSpan rows = SpanOf(ToDouble(y) * sy, ToDouble(y + 1) * sy, sourceHeight);
        columnSums.Sum(source, rows);
        const std::uint32_t* sums = columnSums.Data();
        std::uint8_t* out = DIBRow(target, y);
        for (std::int64_t x = 0; x < width; ++x) {
            const BoxSpan& columns = columnSpans[static_cast<std::size_t>(x)];
            std::uint64_t blue = 0, green = 0, red = 0;
            columns.ForEachPixel(sourceWidth, [&](std::int64_t column, std::int64_t times) {
                const std::uint32_t* sum = sums + 3 * column;
                blue += static_cast<std::uint64_t>(times) * sum[0];
                green += static_cast<std::uint64_t>(times) * sum[1];
                red += static_cast<std::uint64_t>(times) * sum[2];
            });
            const auto count = static_cast<std::uint64_t>(columns.count * rows.count);
            out[3 * x] = Mean(blue, count);
            out[3 * x + 1] = Mean(green, count);
            out[3 * x + 2] = Mean(red, count);
        }
    }
}

}  // namespace

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
    FillReduced(original.InternalDIB().Info, target.InternalDIB().Info);
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
