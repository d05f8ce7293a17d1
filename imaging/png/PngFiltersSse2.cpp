// The filters work on blocks of whole pixels loaded 16 bytes at a time
// (while 16 bytes remain), and finish the row with the plain definitions.
// Sub and Average depend on the reconstructed pixel to the left, so the
// work per pixel on that chain is kept to a few instructions.
#include "PngFiltersSse2.h"

#ifdef PNG_SSE2

#include <cstring>
#include <utility>

namespace imvexa::png::sse2 {

namespace {

// The bytes of a block: four 3-byte pixels, else as many as fill 16 bytes.
template <int D>
constexpr int kBlock = D == 3 ? 12 : (16 / D) * D;

template <int D>
constexpr int kPixels = kBlock<D> / D;

template <int Bytes>
inline __m128i LowBytes() {
    alignas(16) static constexpr std::uint8_t kMask[32] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                                           0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(kMask + 16 - Bytes));
}

inline __m128i Load(const std::uint8_t* from) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
}

// Writes the block's bytes only: the 4 bytes after a 12-byte block are the
// next block's input.
template <int D>
inline void StoreBlock(std::uint8_t* to, __m128i v) {
    if constexpr (kBlock<D> == 16) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to), v);
    } else {
        _mm_storel_epi64(reinterpret_cast<__m128i*>(to), v);
        const auto high = static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_srli_si128(v, 8)));
        std::memcpy(to + 8, &high, 4);
    }
}

// Calls step.template operator()<K>() for K = 0 .. Count - 1, so that the
// byte shifts get their constant counts.
template <int Count, class Step>
inline void Unrolled(Step&& step) {
    const auto all = [&]<int... K>(std::integer_sequence<int, K...>) { (step.template operator()<K>(), ...); };
    all(std::make_integer_sequence<int, Count>{});
}

// Adds to every pixel of the block all pixels to its left (a prefix sum in
// steps of D, 2D, 4D, ... bytes).
template <int D, int Shift = D>
inline __m128i PrefixSum(__m128i v) {
    if constexpr (Shift >= kBlock<D>) {
        return v;
    } else {
        return PrefixSum<D, 2 * Shift>(_mm_add_epi8(v, _mm_slli_si128(v, Shift)));
    }
}

}  // namespace

// The left pixel enters each block in its low D bytes (zero elsewhere).
template <int D>
void Sub(std::uint8_t* x, std::size_t length) {
    __m128i left = _mm_setzero_si128();
    std::size_t i = 0;
    for (; i + 16 <= length; i += kBlock<D>) {
        const __m128i v = PrefixSum<D>(_mm_add_epi8(Load(x + i), left));
        StoreBlock<D>(x + i, v);
        left = _mm_and_si128(_mm_srli_si128(v, kBlock<D> - D), LowBytes<D>());
    }
    for (; i < length; ++i) x[i] = static_cast<std::uint8_t>(x[i] + (i >= D ? x[i - D] : 0));
}

// The left pixel a is carried as its complement ~a: with ~b, the rounding-up
// average of the complements is ~((a + b) >> 1), so the next ~a is that
// average minus x, two instructions per pixel on the chain.
template <int D>
void Average(std::uint8_t* x, const std::uint8_t* p, std::size_t length) {
    const __m128i ones = _mm_set1_epi8(-1);
    __m128i notLeft = ones;  // a = 0 left of the row
    std::size_t i = 0;
    for (; i + 16 <= length; i += kBlock<D>) {
        const __m128i filtered = Load(x + i);
        const __m128i notAbove = _mm_xor_si128(Load(p + i), ones);
        __m128i notBlock = _mm_setzero_si128();
        Unrolled<kPixels<D>>([&]<int K>() {
            notLeft =
                _mm_sub_epi8(_mm_avg_epu8(notLeft, _mm_srli_si128(notAbove, K * D)), _mm_srli_si128(filtered, K * D));
            notBlock = _mm_or_si128(notBlock, _mm_slli_si128(_mm_and_si128(notLeft, LowBytes<D>()), K * D));
        });
        StoreBlock<D>(x + i, _mm_xor_si128(notBlock, ones));
    }
    for (; i < length; ++i) x[i] = static_cast<std::uint8_t>(x[i] + ((p[i] + (i >= D ? x[i - D] : 0)) >> 1));
}

template void Sub<1>(std::uint8_t*, std::size_t);
template void Sub<2>(std::uint8_t*, std::size_t);
template void Sub<3>(std::uint8_t*, std::size_t);
template void Sub<4>(std::uint8_t*, std::size_t);
template void Sub<6>(std::uint8_t*, std::size_t);
template void Sub<8>(std::uint8_t*, std::size_t);
template void Average<3>(std::uint8_t*, const std::uint8_t*, std::size_t);
template void Average<4>(std::uint8_t*, const std::uint8_t*, std::size_t);
template void Average<6>(std::uint8_t*, const std::uint8_t*, std::size_t);
template void Average<8>(std::uint8_t*, const std::uint8_t*, std::size_t);

}  // namespace imvexa::png::sse2

#endif
