#include "BoxSpan.h"

#include <algorithm>
#include <cmath>

#include "RoundedQuotient.h"
#include "RuntimeErrors.h"

namespace imvexa {

namespace {

constexpr double kMaxCoordinate = 33554432.0;  // 2^25

// Coordinates and sizes fit 32 bits, so they convert through 32-bit integers:
// 32-bit x86 converts those in SSE2 exactly as x64 does, while a 64-bit
// conversion would need the x87 unit there.
double ToDouble(std::int64_t value) { return static_cast<double>(static_cast<std::int32_t>(value)); }
std::int64_t ToInteger(double value) { return static_cast<std::int32_t>(value); }

}  // namespace

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

double BoxScale(std::int64_t sourceEdge, std::int64_t targetEdge) {
    return ToDouble(sourceEdge) / ToDouble(targetEdge);
}

BoxSpan SpanOfPixel(std::int64_t i, double scale, std::int64_t sourceEdge) {
    return SpanOf(ToDouble(i) * scale, ToDouble(i + 1) * scale, sourceEdge);
}

std::uint8_t Mean(std::uint64_t sum, std::uint64_t count) {
    return static_cast<std::uint8_t>(RoundedQuotient(sum, count));
}

}  // namespace imvexa
