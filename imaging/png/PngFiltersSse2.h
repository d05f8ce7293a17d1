#pragma once
// The Sub and Average row filters undone with SSE2, for targets that
// have it (every x64 target, and the x86 build, which requires SSE2). Same
// contract and results as the plain definitions: x is the filtered row
// after its type byte, p the prior row, length their byte count, D the
// bytes of one pixel; no byte past length is read or written.
#include <cstddef>
#include <cstdint>

#if defined(__SSE2__) || defined(_M_X64)
#define PNG_FILTERS_SSE2 1

namespace imvexa::png::sse2 {

template <int D>
void Sub(std::uint8_t* x, std::size_t length);
template <int D>
void Average(std::uint8_t* x, const std::uint8_t* p, std::size_t length);

}  // namespace imvexa::png::sse2

#endif
