// Hostile JPEG files through the decoding function: it must either fail with
// the component's exception or deliver the picture it announced, never
// reading outside the file or writing outside its scanline. The sink checks
// the row contract (Begin once, with the size and format the header
// promised, then exactly one row per line, palette indices inside the colour
// table) and reads every byte of every row, so that the sanitizers see it.
// The last byte also picks the settings: XOR-ed with the end-of-image
// marker's 0xD9, so that a complete file decodes the way the extractor does
// it and mutations of that byte reach the other paths.
#include <cstddef>
#include <cstdint>
#include <span>

#include "JPEGDecode.h"
#include "RuntimeErrors.h"

using namespace imvexa;

namespace {

// Larger pictures only take longer; the fuzzer is after faults, not sizes.
constexpr std::int64_t kMaxPixels = std::int64_t{1} << 20;

TJPEGSettings Choose(std::uint8_t choice) {
    TJPEGSettings settings;
    settings.PixelFormat = choice & 1 ? TJPEGPixelFormat::Bit8 : TJPEGPixelFormat::Bit24;
    settings.Grayscale = (choice & 2) != 0;
    settings.Performance = choice & 4 ? TJPEGPerformance::BestSpeed : TJPEGPerformance::BestQuality;
    settings.ProgressiveDisplay = (choice & 8) != 0;
    settings.Smoothing = (choice & 16) == 0;
    settings.Scale = static_cast<TJPEGScale>(choice >> 5 & 3);
    return settings;
}

void Check(bool condition) {
    if (!condition) __builtin_trap();
}

class CheckedRows : public TRowSink {
public:
    explicit CheckedRows(const JPEGOutput& promised) : promised_(promised) {}

    void Begin(const PictureHeader& header) override {
        Check(!begun_);
        Check(header.width == promised_.size.width && header.height == promised_.size.height);
        Check(header.bitsPerPixel == promised_.bitsPerPixel);
        Check(header.bitsPerPixel == 24 || (!header.colors.empty() && header.colors.size() <= 236));
        begun_ = true;
        header_ = header;
    }

    void Row(const std::uint8_t* pixels) override {
        Check(begun_ && rows_ < header_.height);
        ++rows_;
        const std::size_t size = static_cast<std::size_t>(header_.width) * (header_.bitsPerPixel / 8);
        for (std::size_t i = 0; i < size; ++i)
            Check(header_.bitsPerPixel == 24 || pixels[i] < header_.colors.size());
    }

    bool Complete() const { return begun_ && rows_ == header_.height; }

private:
    JPEGOutput promised_;
    PictureHeader header_;
    bool begun_ = false;
    int rows_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    try {
        const JPEGHeader header = ReadJPEGHeader(bytes);
        if (std::int64_t{header.size.width} * header.size.height > kMaxPixels) return 0;
        const TJPEGSettings settings = Choose(data[size - 1] ^ 0xD9);
        CheckedRows rows(JPEGOutputOf(bytes, settings));
        DecodeJPEG(bytes, settings, rows);
        Check(rows.Complete());
    } catch (const Exception&) {
    }
    return 0;
}
