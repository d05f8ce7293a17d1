// Hostile JPEG files: loading and decoding must either fail with the
// component's exception or give a picture, never reading outside the file or
// writing outside the picture. The last byte also picks the settings: XOR-ed
// with the end-of-image marker's 0xD9, so that a complete file decodes the
// way the extractor does it and mutations of that byte reach the other paths.
#include <cstddef>
#include <cstdint>

#include "Bitmap.h"
#include "JPEG.h"
#include "RuntimeErrors.h"
#include "Stream.h"

using namespace imvexa;

namespace {

// Larger pictures only take longer; the fuzzer is after faults, not sizes.
constexpr std::int64_t kMaxPixels = std::int64_t{1} << 20;

TJPEGSettings Choose(std::uint8_t choice, TJPEGSettings settings) {
    settings.PixelFormat = choice & 1 ? TJPEGPixelFormat::Bit8 : TJPEGPixelFormat::Bit24;
    settings.Grayscale = (choice & 2) != 0;
    settings.Performance = choice & 4 ? TJPEGPerformance::BestSpeed : TJPEGPerformance::BestQuality;
    settings.ProgressiveDisplay = (choice & 8) != 0;
    settings.Smoothing = (choice & 16) == 0;
    settings.Scale = static_cast<TJPEGScale>(choice >> 5 & 3);
    return settings;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TJPEGImage image;
    try {
        TBorrowedMemoryStream stream(data, size);
        image.LoadFromStream(stream);
        if (size > 0) image.SetSettings(Choose(data[size - 1] ^ 0xD9, image.Settings()));
        if (std::int64_t{image.Data()->Width} * image.Data()->Height > kMaxPixels) return 0;
        image.Width();
        TBitmap bitmap;
        bitmap.Assign(&image);
    } catch (const Exception&) {
    }
    return 0;
}
