// PNG row filters (None, Sub, Up, Average, Paeth) and Adam7 placement.
//
// The filters run once per decoded row and dominate decoding after inflate:
// each is specialised for the pixel distances PNG has (1, 2, 3, 4, 6, 8
// bytes) so that the compiler sees fixed offsets; where the target has
// SSE2, Sub and Average work on blocks of whole pixels (PngFiltersSse2) and
// Paeth for 3- and 4-byte pixels on whole pixels in SSE2 registers. Every
// variant gives exactly the results of the plain byte-by-byte definitions
// of the filters.
#include "QXPNGLRows.h"

#include <cstdlib>
#include <cstring>

#include "PngFiltersSse2.h"

namespace imvexa::png {

namespace {

// --- Sub, Up: the plain definitions (Up vectorises by itself).

template <int D>
void Sub(std::uint8_t* x, std::size_t length) {
    for (std::size_t i = D; i < length; ++i) x[i] = static_cast<std::uint8_t>(x[i] + x[i - D]);
}

void Up(std::uint8_t* x, const std::uint8_t* p, std::size_t length) {
    for (std::size_t i = 0; i < length; ++i) x[i] = static_cast<std::uint8_t>(x[i] + p[i]);
}

// --- Average and Paeth, scalar.

template <int D>
void Average(std::uint8_t* x, const std::uint8_t* p, std::size_t length) {
    const std::size_t head = length < D ? length : D;
    for (std::size_t i = 0; i < head; ++i) x[i] = static_cast<std::uint8_t>(x[i] + (p[i] >> 1));
    for (std::size_t i = D; i < length; ++i) x[i] = static_cast<std::uint8_t>(x[i] + ((p[i] + x[i - D]) >> 1));
}

inline int PaethPredictor(int a, int b, int c) {
    // With q = a + b - c: pa = |q - a| = |b - c|, pb = |q - b| = |a - c|,
    // pc = |q - c| = |a + b - 2c|.
    const int pa = std::abs(b - c);
    const int pb = std::abs(a - c);
    const int pc = std::abs(a + b - 2 * c);
    if (pa <= pb && pa <= pc) return a;
    return pb <= pc ? b : c;
}

template <int D>
void Paeth(std::uint8_t* x, const std::uint8_t* p, std::size_t length) {
    // With a = c = 0 the predictor is b.
    const std::size_t head = length < D ? length : D;
    for (std::size_t i = 0; i < head; ++i) x[i] = static_cast<std::uint8_t>(x[i] + p[i]);
    for (std::size_t i = D; i < length; ++i)
        x[i] = static_cast<std::uint8_t>(x[i] + PaethPredictor(x[i - D], p[i], p[i - D]));
}

#ifdef PNG_SSE2

// Whole pixels of 3 or 4 bytes, each widened to 16-bit lanes. Loads and
// stores touch exactly the pixel's D bytes; 3-byte pixels are put together
// in a general register (a 3-byte memcpy would go through the stack and
// stall on store forwarding).
template <int D>
inline __m128i LoadPixel(const std::uint8_t* from) {
    std::uint32_t value;
    if constexpr (D == 4) {
        std::memcpy(&value, from, 4);
    } else {
        std::uint16_t low;
        std::memcpy(&low, from, 2);
        value = low | std::uint32_t{from[2]} << 16;
    }
    return _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(value)), _mm_setzero_si128());
}

template <int D>
inline void StorePixel(std::uint8_t* to, __m128i pixel) {
    const auto value = static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(pixel, pixel)));
    if constexpr (D == 4) {
        std::memcpy(to, &value, 4);
    } else {
        const auto low = static_cast<std::uint16_t>(value);
        std::memcpy(to, &low, 2);
        to[2] = static_cast<std::uint8_t>(value >> 16);
    }
}

inline __m128i Abs16(__m128i v) {
    return _mm_max_epi16(v, _mm_sub_epi16(_mm_setzero_si128(), v));
}

// Paeth keeps the reconstructed left pixel a in a register; adding the
// 16-bit lanes bytewise takes the sums modulo 256 and leaves their high
// bytes zero.
template <int D>
void PaethSse2(std::uint8_t* x, const std::uint8_t* p, std::size_t length) {
    __m128i a = _mm_setzero_si128();
    __m128i c = _mm_setzero_si128();
    std::size_t i = 0;
    for (; i + D <= length; i += D) {
        const __m128i b = LoadPixel<D>(p + i);
        const __m128i e = _mm_sub_epi16(b, c);
        const __m128i d = _mm_sub_epi16(a, c);
        const __m128i negD = _mm_sub_epi16(c, a);
        const __m128i pa = Abs16(e);
        const __m128i pb = _mm_max_epi16(d, negD);
        const __m128i pc = _mm_max_epi16(_mm_add_epi16(d, e), _mm_sub_epi16(negD, e));
        // The predictor less c: a - c where pa <= pb and pa <= pc; else
        // b - c where pb <= pc; else 0.
        const __m128i notA = _mm_or_si128(_mm_cmpgt_epi16(pa, pb), _mm_cmpgt_epi16(pa, pc));
        const __m128i fromB = _mm_andnot_si128(_mm_cmpgt_epi16(pb, pc), e);
        const __m128i offset = _mm_or_si128(_mm_andnot_si128(notA, d), _mm_and_si128(notA, fromB));
        a = _mm_add_epi8(LoadPixel<D>(x + i), _mm_add_epi16(c, offset));
        StorePixel<D>(x + i, a);
        c = b;
    }
    for (; i < length; ++i) {
        const int left = i >= D ? x[i - D] : 0;
        const int upLeft = i >= D ? p[i - D] : 0;
        x[i] = static_cast<std::uint8_t>(x[i] + PaethPredictor(left, p[i], upLeft));
    }
}

#endif

struct FilterSet {
    void (*sub)(std::uint8_t*, std::size_t);
    void (*average)(std::uint8_t*, const std::uint8_t*, std::size_t);
    void (*paeth)(std::uint8_t*, const std::uint8_t*, std::size_t);
};

const FilterSet& FiltersFor(int distance) {
#ifdef PNG_SSE2
    static constexpr FilterSet k1{sse2::Sub<1>, Average<1>, Paeth<1>};
    static constexpr FilterSet k2{sse2::Sub<2>, Average<2>, Paeth<2>};
    static constexpr FilterSet k3{sse2::Sub<3>, sse2::Average<3>, PaethSse2<3>};
    static constexpr FilterSet k4{sse2::Sub<4>, sse2::Average<4>, PaethSse2<4>};
    static constexpr FilterSet k6{sse2::Sub<6>, sse2::Average<6>, Paeth<6>};
    static constexpr FilterSet k8{sse2::Sub<8>, sse2::Average<8>, Paeth<8>};
#else
    static constexpr FilterSet k1{Sub<1>, Average<1>, Paeth<1>}, k2{Sub<2>, Average<2>, Paeth<2>},
        k3{Sub<3>, Average<3>, Paeth<3>}, k4{Sub<4>, Average<4>, Paeth<4>}, k6{Sub<6>, Average<6>, Paeth<6>},
        k8{Sub<8>, Average<8>, Paeth<8>};
#endif
    switch (distance) {
        case 1: return k1;
        case 2: return k2;
        case 3: return k3;
        case 4: return k4;
        case 6: return k6;
        default: return k8;
    }
}

// --- Placement of interlaced pass rows.

void Place1(std::uint8_t* target, const std::uint8_t* pixels, std::int64_t count, std::int64_t first,
            std::int64_t step) {
    std::int64_t c = first;
    for (std::int64_t k = 0; k < count; ++k, c += step) {
        const auto mask = static_cast<std::uint8_t>(0x80 >> (c & 7));
        std::uint8_t& byte = target[c >> 3];
        if ((pixels[k >> 3] >> (7 - (k & 7))) & 1)
            byte = static_cast<std::uint8_t>(byte | mask);
        else
            byte = static_cast<std::uint8_t>(byte & ~mask);
    }
}

void Place4(std::uint8_t* target, const std::uint8_t* pixels, std::int64_t count, std::int64_t first,
            std::int64_t step) {
    std::int64_t c = first;
    for (std::int64_t k = 0; k < count; ++k, c += step) {
        const int nibble = (k & 1) == 0 ? pixels[k >> 1] >> 4 : pixels[k >> 1] & 0x0F;
        std::uint8_t& byte = target[c >> 1];
        byte = (c & 1) == 0 ? static_cast<std::uint8_t>((byte & 0x0F) | nibble << 4)
                            : static_cast<std::uint8_t>((byte & 0xF0) | nibble);
    }
}

template <int Bytes>
void PlaceBytes(std::uint8_t* target, const std::uint8_t* pixels, std::int64_t count, std::int64_t first,
                std::int64_t step) {
    std::uint8_t* to = target + Bytes * first;
    const std::int64_t advance = Bytes * step;
    for (std::int64_t k = 0; k < count; ++k, to += advance, pixels += Bytes) std::memcpy(to, pixels, Bytes);
}

}  // namespace

bool UnfilterRow(std::uint8_t* row, const std::uint8_t* prior, std::size_t length, int distance) {
    std::uint8_t* x = row + 1;
    const std::uint8_t* p = prior + 1;
    switch (row[0]) {
        case 0: return true;
        case 1: FiltersFor(distance).sub(x, length); return true;
        case 2: Up(x, p, length); return true;
        case 3: FiltersFor(distance).average(x, p, length); return true;
        case 4: FiltersFor(distance).paeth(x, p, length); return true;
        default: return false;
    }
}

bool RowInPass(int pass, std::int64_t y, std::int64_t width, std::int64_t height) {
    const Adam7Pass& p = kAdam7[pass];
    return y % p.rowStep == p.firstRow && width > p.firstColumn && height > p.firstRow;
}

std::int64_t PassWidth(int pass, std::int64_t width) {
    const Adam7Pass& p = kAdam7[pass];
    return width > p.firstColumn ? (width - p.firstColumn - 1) / p.columnStep + 1 : 0;
}

PlacePixels PlacementFor(int outputBits) {
    switch (outputBits) {
        case 1: return Place1;
        case 4: return Place4;
        case 8: return PlaceBytes<1>;
        case 24: return PlaceBytes<3>;
        default: return PlaceBytes<4>;
    }
}

}  // namespace imvexa::png
