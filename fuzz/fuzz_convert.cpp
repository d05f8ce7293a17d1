// Pixel-format conversions and the quality reduction of random small
// pictures. The first bytes choose the picture and the conversion:
//   0  source format (6 stored formats)    1  width - 1 (up to 127)
//   2  height - 1 (up to 63), bit 7 of byte 3: top-down rows
//   4  target format (the 8 and one invalid value)   5  ConvertMode (0-2)
//   6-9  MonoKeyColor (system colour references included)
//   10, 11  reduction width and height (0 fails, beyond the source enlarges)
// then the colour table (4 bytes an entry) and the pixel rows, repeated to
// fill the block. Pixel blocks are heap blocks, so that any access past
// them is caught.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "Reduce.h"
#include "RuntimeErrors.h"
#include "ZdDIB.h"

using namespace imvexa;

namespace {

constexpr std::size_t kHeaderBytes = 12;

std::uint32_t Read32(const std::uint8_t* data) {
    std::uint32_t value;
    std::memcpy(&value, data, sizeof value);
    return value;
}

// An image whose storage keeps its pixels in heap blocks.
void UseHeapStorage(TZdDIB& image, std::int32_t width, std::int32_t height, int bitCount) {
    auto storage = std::make_unique<TZdInternalDIB>(false);
    storage->CreateDIB(width, height, bitCount == 24 ? 0 : 1 << bitCount, bitCount);
    image.ReplaceInternalDIB(std::move(storage));
}

// Fills the bytes from the cyclic repetition of the fuzz data; all zero when none is left.
void Fill(std::uint8_t* bytes, std::size_t count, const std::uint8_t* data, std::size_t size) {
    for (std::size_t i = 0; i < count && size > 0; ++i) bytes[i] = data[i % size];
}

// Reads every pixel and the far corner, which the clamped access must keep inside the block.
void ReadAllPixels(const TZdDIB& image) {
    if (image.InternalDIB().Info.Header.biCompression != kBiRgb) return;
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x) image.Pixels(x, y);
    image.Pixels(image.Width(), image.Height());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < kHeaderBytes) return 0;
    constexpr TZdPixelFormat kSources[] = {zdPf1Bit, zdPf4Bit, zdPf4BitRLE, zdPf8Bit, zdPf8BitRLE, zdPf24Bit};
    constexpr int kBits[] = {1, 4, 4, 8, 8, 24};
    const int sourceIndex = data[0] % 6;
    const int width = 1 + (data[1] & 0x7F);
    const int height = 1 + (data[2] & 0x3F);
    const bool topDown = (data[3] & 0x80) != 0;
    const auto target = static_cast<TZdPixelFormat>(data[4] % 9);
    const int bits = kBits[sourceIndex];

    TZdDIB image;
    UseHeapStorage(image, width, topDown ? -height : height, bits);
    image.ConvertMode = static_cast<TZdConvertMode>(data[5] % 3);
    image.MonoKeyColor = Read32(data + 6);
    TZdDIBInfo& info = image.InternalDIB().Info;
    const std::uint8_t* rest = data + kHeaderBytes;
    std::size_t restSize = size - kHeaderBytes;
    if (bits != 24) {
        const std::size_t tableBytes = std::min<std::size_t>(restSize, 4u << bits);
        std::memcpy(info.Colors, rest, tableBytes);
        rest += tableBytes;
        restSize -= tableBytes;
    }
    Fill(info.Bits, static_cast<std::size_t>(info.BitsSize), rest, restSize);

    try {
        // RLE sources come from compressing the rows; pictures that do not
        // compress stay plain.
        if (kSources[sourceIndex] == zdPf4BitRLE || kSources[sourceIndex] == zdPf8BitRLE)
            image.SetPixelFormat(kSources[sourceIndex]);
    } catch (const Exception&) {
    }
    try {
        image.SetPixelFormat(target);
        ReadAllPixels(image);
    } catch (const Exception&) {
    }
    try {
        TZdDIB reduced;
        UseHeapStorage(reduced, 1, 1, 8);
        ReduceImage(image, reduced, data[10], data[11]);
        ReadAllPixels(reduced);
    } catch (const Exception&) {
    }
    return 0;
}
