#pragma once
#include <cstdint>

namespace imvexa {

// sum / count (count > 0) rounded to the nearest integer, halves to the even
// one, computed exactly.
inline std::uint64_t RoundedQuotient(std::uint64_t sum, std::uint64_t count) {
    const std::uint64_t quotient = sum / count;
    const std::uint64_t twiceRest = 2 * (sum % count);
    return quotient + (twiceRest > count || (twiceRest == count && quotient % 2 == 1) ? 1 : 0);
}

}  // namespace imvexa
