#pragma once
// The Sub and Average row filters undone with SSE2, where the target has
// it (PngSse2.h). Same contract and results as the plain definitions: x is
// the filtered row after its type byte, p the prior row, length their byte
// count, D the bytes of one pixel; no byte past length is read or written.
#include <cstddef>
#include <cstdint>

#include "PngSse2.h"

#ifdef PNG_SSE2

namespace imvexa::png::sse2 {

template <int D>
void Sub(std::uint8_t* x, std::size_t length);
template <int D>
void Average(std::uint8_t* x, const std::uint8_t* p, std::size_t length);

}  // namespace imvexa::png::sse2

#endif
