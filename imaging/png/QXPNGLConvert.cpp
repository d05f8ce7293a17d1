// PNG sample conversions into the bitmap's 4-, 8- and 24-bit rows.
#include "QXPNGLConvert.h"

#include <bit>
#include <cstring>

#include "PngSse2.h"

namespace imvexa::png {

namespace {

// Each 2-bit value v becomes the 4-bit value v: one input byte (pixels p0..p3
// from the high bits down) gives the output bytes p0·16+p1 and p2·16+p3.
struct TwoToFourTable {
    std::uint16_t pairs[256];  // output byte 0 in the low byte, byte 1 in the high byte
    constexpr TwoToFourTable() : pairs() {
        for (int b = 0; b < 256; ++b) {
            const int first = ((b >> 6) & 3) << 4 | ((b >> 4) & 3);
            const int second = ((b >> 2) & 3) << 4 | (b & 3);
            pairs[b] = static_cast<std::uint16_t>(first | second << 8);
        }
    }
};
constexpr TwoToFourTable kTwoToFour;

void Expand2To4(const std::uint8_t* in, std::uint8_t* out, std::int64_t count) {
    const std::int64_t bytes = (count + 3) / 4;
    for (std::int64_t i = 0; i < bytes; ++i) {
        const std::uint16_t pair = kTwoToFour.pairs[in[i]];
        out[2 * i] = static_cast<std::uint8_t>(pair);
        out[2 * i + 1] = static_cast<std::uint8_t>(pair >> 8);
    }
}

void Grey16To8(const std::uint8_t* in, std::uint8_t* out, std::int64_t count) {
    for (std::int64_t i = 0; i < count; ++i) out[i] = in[2 * i];
}

// Greyscale (+ alpha) to blue, green, red: the grey byte three times. Step
// is the distance of the grey bytes (2 for 8-bit grey + alpha, 4 for 16-bit).
template <int Step>
void GreyTo24(const std::uint8_t* in, std::uint8_t* out, std::int64_t count) {
    for (std::int64_t i = 0; i < count; ++i, in += Step, out += 3) {
        const std::uint8_t grey = in[0];
        out[0] = grey;
        out[1] = grey;
        out[2] = grey;
    }
}

// Red, green, blue (+ alpha) to blue, green, red. Sample is the distance of
// two samples (1 for 8 bits, 2 for 16 bits: the high byte comes first),
// Step the distance of two pixels.
template <int Sample, int Step>
void RgbTo24(const std::uint8_t* in, std::uint8_t* out, std::int64_t count) {
    for (std::int64_t i = 0; i < count; ++i, in += Step, out += 3) {
        const std::uint8_t red = in[0];
        const std::uint8_t green = in[Sample];
        const std::uint8_t blue = in[2 * Sample];
        out[0] = blue;
        out[1] = green;
        out[2] = red;
    }
}

// 8-bit red, green, blue to blue, green, red, the hot path of truecolour
// pictures. With SSE2, five pixels a step while 16 bytes lie in the row:
// each output byte is the input byte two further on (blue), the same
// (green) or two before (red). Then each pixel is read as four bytes R G B x
// and its red and blue exchanged in one register. The reads stay inside the
// row buffer (it has 12 bytes to spare after the row); the writes of 16 and
// of 4 bytes run into the next pixel, which the next step overwrites, so the
// last pixel is written byte by byte.
void Rgb8To24(const std::uint8_t* in, std::uint8_t* out, std::int64_t count) {
#ifdef PNG_SSE2
    const __m128i blue = _mm_setr_epi8(-1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, 0);
    const __m128i green = _mm_slli_si128(blue, 1);
    const __m128i red = _mm_slli_si128(blue, 2);
    for (; count >= 6; count -= 5, in += 15, out += 15) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
        const __m128i swapped =
            _mm_or_si128(_mm_and_si128(_mm_srli_si128(v, 2), blue), _mm_and_si128(_mm_slli_si128(v, 2), red));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_or_si128(swapped, _mm_and_si128(v, green)));
    }
#endif
    if constexpr (std::endian::native == std::endian::little) {
        for (; count > 1; --count, in += 3, out += 3) {
            std::uint32_t v;
            std::memcpy(&v, in, 4);
            v = (v & 0xFF) << 16 | (v & 0xFF00) | (v >> 16 & 0xFF);
            std::memcpy(out, &v, 4);
        }
    }
    RgbTo24<1, 3>(in, out, count);
}

}  // namespace

RowFormat ChooseRowFormat(int colorTypeBase, bool alpha, int bitDepth) {
    switch (colorTypeBase) {
        case 0:
            if (alpha) {
                return bitDepth == 16 ? RowFormat{24, 32, 32, GreyTo24<4>} : RowFormat{24, 16, 24, GreyTo24<2>};
            }
            switch (bitDepth) {
                case 1: return {1, 1, 1, nullptr};
                case 2: return {4, 2, 4, Expand2To4};
                case 4: return {4, 4, 4, nullptr};
                case 8: return {8, 8, 8, nullptr};
                default: return {8, 16, 16, Grey16To8};
            }
        case 2:
            if (alpha) {
                return bitDepth == 16 ? RowFormat{24, 64, 64, RgbTo24<2, 8>} : RowFormat{24, 32, 32, RgbTo24<1, 4>};
            }
            return bitDepth == 16 ? RowFormat{24, 48, 48, RgbTo24<2, 6>} : RowFormat{24, 24, 24, Rgb8To24};
        default:
            switch (bitDepth) {
                case 1: return {1, 1, 1, nullptr};
                case 2: return {4, 2, 4, Expand2To4};
                case 4: return {4, 4, 4, nullptr};
                default: return {8, 8, 8, nullptr};
            }
    }
}

}  // namespace imvexa::png
