// Each band sums the bytes of its source rows per column as the rows arrive;
// when its last row is in, every target pixel adds up the column sums of its
// box. Coordinates outside the picture are not read one by one: a box counts
// how many of them lie before the first or after the last pixel and weighs
// that edge pixel accordingly, which gives exactly the sums of clamped reads.
#include "BoxReduction.h"

#include <algorithm>

#include "RuntimeErrors.h"
#include "WorkBuffer.h"
#include "ZdDIBErrors.h"

namespace imvexa {

namespace {

// 257 rows of 255 still fit 16 bits.
constexpr int kRowsPerFlush = 257;

// Adds a row's bytes to 16-bit partial sums, in blocks of a fixed size that
// the compiler turns into vector code.
void AddBytes(std::uint16_t* __restrict__ partial, const std::uint8_t* __restrict__ row, std::size_t bytes) {
    constexpr std::size_t kBlock = 32;
    std::size_t i = 0;
    for (; i + kBlock <= bytes; i += kBlock)
        for (std::size_t j = i; j < i + kBlock; ++j) partial[j] = static_cast<std::uint16_t>(partial[j] + row[j]);
    for (; i < bytes; ++i) partial[i] = static_cast<std::uint16_t>(partial[i] + row[i]);
}

// Adds up each byte of a source pixel over the columns of a box, from the
// column sums of its rows; a fixed pixel size lets the compiler unroll it.
template <int Bytes>
void SumBox(const BoxSpan& columns, std::int64_t sourceWidth, const std::uint64_t* sums, std::uint64_t* box) {
    std::fill_n(box, Bytes, 0);
    columns.ForEachPixel(sourceWidth, [&](std::int64_t column, std::int64_t times) {
        const std::uint64_t* sum = sums + Bytes * column;
        for (int i = 0; i < Bytes; ++i) box[i] += static_cast<std::uint64_t>(times) * sum[i];
    });
}

using SumBoxFunction = void (*)(const BoxSpan&, std::int64_t, const std::uint64_t*, std::uint64_t*);
constexpr SumBoxFunction kSumBox[kMaxBoxPixelBytes + 1] = {nullptr,  SumBox<1>, SumBox<2>, SumBox<3>, SumBox<4>,
                                                           SumBox<5>, SumBox<6>, SumBox<7>, SumBox<8>};

void MakeMeans(const std::uint64_t* sums, std::uint64_t count, std::uint8_t* pixel) {
    for (int i = 0; i < 3; ++i) pixel[i] = Mean(sums[i], count);
}

}  // namespace

const TBoxPixels kBoxMeans{3, 3, MakeMeans};

TBoxReduction::ColumnSums::ColumnSums(std::size_t bytes)
    : sums_(WorkBuffer<std::uint64_t>(bytes)), partial_(WorkBuffer<std::uint16_t>(bytes)) {}

void TBoxReduction::ColumnSums::Add(const std::uint8_t* row) {
    AddBytes(partial_.data(), row, partial_.size());
    if (++pending_ == kRowsPerFlush) Flush();
}

const std::uint64_t* TBoxReduction::ColumnSums::Total() {
    Flush();
    return sums_.data();
}

void TBoxReduction::ColumnSums::Clear() {
    std::fill(sums_.begin(), sums_.end(), 0);
    std::fill(partial_.begin(), partial_.end(), 0);
    pending_ = 0;
}

void TBoxReduction::ColumnSums::Flush() {
    for (std::size_t i = 0; i < sums_.size(); ++i) sums_[i] += partial_[i];
    std::fill(partial_.begin(), partial_.end(), 0);
    pending_ = 0;
}

TBoxReduction::TBoxReduction(std::int32_t sourceWidth, std::int32_t sourceHeight, std::int32_t width,
                             std::int32_t height, TRowOrder order, Sink sink, const TBoxPixels& pixels)
    : sourceWidth_(sourceWidth), sourceHeight_(sourceHeight), width_(width), height_(height), order_(order),
      sink_(std::move(sink)), pixels_(pixels) {
    if (sourceWidth < 1 || width < 1) throw EZdDIBInvalidDIBPara("TZdDIB.SetWidth: Invalid Width");
    if (sourceHeight < 1 || height < 1) throw EZdDIBInvalidDIBPara("TZdDIB.SetWidth: Invalid Height");
    IMVEXA_ASSERT(pixels.sourceBytes >= 1 && pixels.sourceBytes <= kMaxBoxPixelBytes, "TBoxReduction: Pixel Bytes",
                  "BoxReduction");
    const double scaleX = BoxScale(sourceWidth_, width_);
    scaleY_ = BoxScale(sourceHeight_, height_);
    columns_ = WorkBuffer<BoxSpan>(static_cast<std::size_t>(width_));
    for (std::int64_t x = 0; x < width_; ++x)
        columns_[static_cast<std::size_t>(x)] = SpanOfPixel(x, scaleX, sourceWidth_);
    SpanOfPixel(height_ - 1, scaleY_, sourceHeight_);  // the farthest row box: fail before any row arrives
    row_ = WorkBuffer<std::uint8_t>(static_cast<std::size_t>(pixels_.targetBytes * width_));
}

std::int64_t TBoxReduction::Arrival(std::int64_t sourceRow) const {
    return order_ == TRowOrder::TopDown ? sourceRow : sourceHeight_ - 1 - sourceRow;
}

std::int64_t TBoxReduction::TargetRow(std::int64_t visit) const {
    return order_ == TRowOrder::TopDown ? visit : height_ - 1 - visit;
}

void TBoxReduction::AddRow(const std::uint8_t* pixels) {
    if (Finished()) throw ERangeError();
    OpenBands();
    const std::int64_t sourceRow = Arrival(rowsAdded_);  // the mapping is its own inverse
    for (Band& band : bands_)
        for (std::int64_t i = band.rows.Reads(sourceRow, sourceHeight_); i > 0; --i) band.sums.Add(pixels);
    while (!bands_.empty() && bands_.front().lastArrival == rowsAdded_) {
        Deliver(bands_.front());
        spare_.push_back(std::move(bands_.front().sums));
        bands_.pop_front();
    }
    ++rowsAdded_;
}

// Gives a band to every target row whose box reads the arriving row first.
// Boxes only move forwards in arrival order, so equal boxes are neighbours.
void TBoxReduction::OpenBands() {
    for (; visited_ < height_; ++visited_) {
        const BoxSpan rows = SpanOfPixel(TargetRow(visited_), scaleY_, sourceHeight_);
        const std::int64_t lowest = Arrival(rows.LowestRead(sourceHeight_));
        const std::int64_t highest = Arrival(rows.HighestRead(sourceHeight_));
        if (std::min(lowest, highest) > rowsAdded_) return;
        if (!bands_.empty() && bands_.back().rows == rows) {
            ++bands_.back().visits;
            continue;
        }
        bands_.push_back(Band{rows, visited_, 1, std::max(lowest, highest), TakeSums()});
    }
}

TBoxReduction::ColumnSums TBoxReduction::TakeSums() {
    if (spare_.empty()) return ColumnSums(static_cast<std::size_t>(pixels_.sourceBytes * sourceWidth_));
    ColumnSums sums = std::move(spare_.back());
    spare_.pop_back();
    sums.Clear();
    return sums;
}

void TBoxReduction::Deliver(Band& band) {
    const std::uint64_t* sums = band.sums.Total();
    const SumBoxFunction sumBox = kSumBox[pixels_.sourceBytes];
    std::uint64_t box[kMaxBoxPixelBytes];
    for (std::int64_t x = 0; x < width_; ++x) {
        const BoxSpan& columns = columns_[static_cast<std::size_t>(x)];
        sumBox(columns, sourceWidth_, sums, box);
        const auto count = static_cast<std::uint64_t>(columns.count * band.rows.count);
        pixels_.make(box, count, row_.data() + pixels_.targetBytes * x);
    }
    for (std::int64_t visit = band.firstVisit; visit < band.firstVisit + band.visits; ++visit)
        sink_(static_cast<std::int32_t>(TargetRow(visit)), row_.data());
}

}  // namespace imvexa
