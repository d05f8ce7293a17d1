#pragma once
// The extent of one box of the quality reduction along one axis: coordinates
// Trunc(from) to Ceil(to) − 1, read with clamping to the picture's edges.
#include <cstdint>

namespace imvexa {

struct BoxSpan {
    std::int64_t first;  // the coordinates inside the picture: first to last
    std::int64_t last;  // (none when last < first)
    std::int64_t before;  // coordinates below 0: they read pixel 0
    std::int64_t after;  // coordinates beyond n − 1: they read pixel n − 1
    std::int64_t count;  // all coordinates

    // How many of the span's coordinates read pixel i of an axis of n pixels.
    std::int64_t Reads(std::int64_t i, std::int64_t n) const {
        return (first <= i && i <= last ? 1 : 0) + (i == 0 ? before : 0) + (i == n - 1 ? after : 0);
    }

    // The lowest and the highest pixel that the span reads.
    std::int64_t LowestRead(std::int64_t n) const { return before > 0 ? 0 : first <= last ? first : n - 1; }
    std::int64_t HighestRead(std::int64_t n) const { return after > 0 ? n - 1 : first <= last ? last : 0; }

    // Calls read(pixel, times) for every pixel that the span reads.
    template <class Read>
    void ForEachPixel(std::int64_t n, Read&& read) const {
        if (before > 0) read(std::int64_t{0}, before);
        for (std::int64_t i = first; i <= last; ++i) read(i, std::int64_t{1});
        if (after > 0) read(n - 1, after);
    }

    bool operator==(const BoxSpan&) const = default;
};

// The span of from to to on an axis of n pixels. Raises ERangeError when it
// is empty or a coordinate is not finite or lies beyond ±2^25 (which keeps
// the count and the channel sums of any box far inside 64 bits).
BoxSpan SpanOf(double from, double to, std::int64_t n);

// The edge length of the box of one target pixel: source edge / target edge.
double BoxScale(std::int64_t sourceEdge, std::int64_t targetEdge);

// The span of target pixel i along an axis: i·scale to (i + 1)·scale.
BoxSpan SpanOfPixel(std::int64_t i, double scale, std::int64_t sourceEdge);

// The mean of count values that add up to sum, rounded halves to even.
std::uint8_t Mean(std::uint64_t sum, std::uint64_t count);

}  // namespace imvexa
