#pragma once
// The quality reduction as a stream: source rows go in one at a time and every
// target row comes out as soon as the last source row of its box has arrived,
// so a picture can be reduced while it is decoded, without ever being whole.
#include <cstdint>
#include <deque>
#include <functional>
#include <vector>

#include "BoxSpan.h"
#include "PictureRows.h"

namespace imvexa {

// How the reduction reads a source pixel and makes a target pixel: the bytes
// of each, and the target pixel from the sum of every source byte over the
// box (sums[sourceBytes]) and the number of pixels the box counts.
struct TBoxPixels {
    int sourceBytes;  // at most kMaxBoxPixelBytes
    int targetBytes;
    void (*make)(const std::uint64_t* sums, std::uint64_t count, std::uint8_t* pixel);
};
inline constexpr int kMaxBoxPixelBytes = 8;

// Blue, green, red in and out, each the rounded mean: ReduceImage's pixels.
extern const TBoxPixels kBoxMeans;

// Reduces a picture of sourceWidth × sourceHeight 24-bit pixels (bytes blue,
// green, red) to width × height pixels, each the same box mean as AverageBox
// gives for it in ReduceImage, and hands every finished target row to the
// sink: its row number counted from the top and its 3·width bytes (valid
// during the call). Other pixels than blue, green, red bytes are read and
// made as pixels says, over the same boxes. Target rows with the same source rows are summed once;
// at most three such runs are summed at a time, each in buffers of the source
// width. Target rows are delivered in the order the source rows arrive.
class TBoxReduction {
public:
    using Sink = std::function<void(std::int32_t row, const std::uint8_t* pixels)>;

    // Raises EZdDIBInvalidDIBPara "TZdDIB.SetWidth: Invalid Width" for a width
    // below 1 and "TZdDIB.SetWidth: Invalid Height" for a height below 1 (of
    // the source or the target), ERangeError when a box would lie beyond the
    // coordinates that AverageBox accepts.
    TBoxReduction(std::int32_t sourceWidth, std::int32_t sourceHeight, std::int32_t width, std::int32_t height,
                  TRowOrder order, Sink sink, const TBoxPixels& pixels = kBoxMeans);

    // Takes the next source row: sourceBytes·sourceWidth bytes. Raises ERangeError when
    // all source rows have already been given.
    void AddRow(const std::uint8_t* pixels);

    bool Finished() const { return rowsAdded_ == sourceHeight_; }

private:
    // Per byte of a source row, the sum of that byte over the rows of a box.
    class ColumnSums {
    public:
        explicit ColumnSums(std::size_t bytes);
        void Add(const std::uint8_t* row);
        const std::uint64_t* Total();
        void Clear();

    private:
        void Flush();
        std::vector<std::uint64_t> sums_;
        std::vector<std::uint16_t> partial_;  // rows added since the last flush
        int pending_ = 0;
    };

    // Consecutive target rows whose boxes hold the same source rows, and so
    // the same pixels.
    struct Band {
        BoxSpan rows;
        std::int64_t firstVisit;  // target rows in delivery order: firstVisit to
        std::int64_t visits;  // firstVisit + visits − 1
        std::int64_t lastArrival;  // the source row, in arrival order, that completes it
        ColumnSums sums;
    };

    std::int64_t Arrival(std::int64_t sourceRow) const;
    std::int64_t TargetRow(std::int64_t visit) const;
    void OpenBands();
    ColumnSums TakeSums();
    void Deliver(Band& band);

    std::int64_t sourceWidth_, sourceHeight_, width_, height_;
    TRowOrder order_;
    Sink sink_;
    TBoxPixels pixels_;
    double scaleY_;
    std::vector<BoxSpan> columns_;
    std::vector<std::uint8_t> row_;  // the target row being delivered
    std::deque<Band> bands_;  // the bands being summed, in delivery order
    std::vector<ColumnSums> spare_;  // sums of delivered bands, for reuse
    std::int64_t rowsAdded_ = 0;
    std::int64_t visited_ = 0;  // target rows given a band so far
};

}  // namespace imvexa
