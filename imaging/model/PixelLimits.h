#pragma once
// Upper bounds on the size of a picture. Every size that comes from a file or
// a caller is checked against them before pixel memory is allocated, so a
// hostile header can neither exhaust memory nor overflow the 32-bit size and
// coordinate arithmetic of the pixel code.
#include <cstdint>

namespace imvexa {

// Largest pixel block of one picture: 1 GiB in a 64-bit process, 256 MiB in a
// 32-bit one, whose address space is shared with the host (Explorer).
inline constexpr std::int64_t kMaxPixelBytes = sizeof(void*) >= 8 ? std::int64_t{1} << 30 : std::int64_t{1} << 28;

// Largest width or height in pixels: keeps x + run length, 4 × x and the like
// far inside 32 bits.
inline constexpr std::int64_t kMaxPictureDimension = std::int64_t{1} << 24;

// Largest picture whose rows stream from decoder to consumer: nothing holds
// such a picture whole, so its size bounds the time of decoding rather than
// memory. 2^32 pixels (4 gigapixels) take one core about 15 s to decode from a
// nearly empty file, the hostile case, and about 45 s from photographic data
// (JPEG); PNG takes about 10 s from a nearly empty truecolour file and about
// 80 s from a photograph; a 1-bit BMP about 10 s to reduced thumbnail rows.
inline constexpr std::int64_t kMaxStreamedPixels = std::int64_t{1} << 32;

// Whether a picture of width × height pixels (height > 0) with rows of stride
// bytes stays inside both limits.
inline bool WithinPixelLimits(std::int64_t width, std::int64_t height, std::int64_t stride) {
    return width > 0 && height > 0 && width <= kMaxPictureDimension && height <= kMaxPictureDimension &&
           stride * height <= kMaxPixelBytes;
}

// Whether a streamed picture of width × height pixels stays inside the
// dimension limit and the streamed pixel count.
inline bool WithinStreamedLimits(std::int64_t width, std::int64_t height) {
    return width > 0 && height > 0 && width <= kMaxPictureDimension && height <= kMaxPictureDimension &&
           width * height <= kMaxStreamedPixels;
}

// How a decoder holds a picture: whole, in one block of pixel memory, or one
// row at a time while the rows stream to their consumer.
enum class TPictureHolding { Whole, Rows };

// The limits of the holding: the pixel limits for a whole picture (rows of
// stride bytes), the streamed limits for rows.
inline bool WithinHoldingLimits(TPictureHolding holding, std::int64_t width, std::int64_t height,
                                std::int64_t stride) {
    return holding == TPictureHolding::Rows ? WithinStreamedLimits(width, height)
                                            : WithinPixelLimits(width, height, stride);
}

}  // namespace imvexa
