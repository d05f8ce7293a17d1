// Hostile RLE code streams fed straight to the expansion routines: the first
// four bytes choose the picture (4 or 8 bits, width and height up to 512,
// row order), the rest are codes.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "RuntimeErrors.h"
#include "PixelMemory.h"
#include "ZdDIBRle.h"

using namespace imvexa;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return 0;
    const bool fourBit = data[0] & 1;
    const int width = 1 + data[1] + 256 * ((data[0] >> 1) & 1);
    const int height = 1 + data[2] + 256 * (data[3] & 1);
    // The codes sit in their own block of exactly their size, so that any
    // read past them is caught.
    std::vector<std::uint8_t> codes(data + 4, data + size);

    TZdDIBInfo source;
    source.Header.biSize = 40;
    source.Header.biWidth = width;
    source.Header.biHeight = (data[3] & 0x80) ? -height : height;
    source.Header.biPlanes = 1;
    source.Header.biBitCount = fourBit ? 4 : 8;
    source.Header.biCompression = fourBit ? kBiRle4 : kBiRle8;
    source.Bits = codes.data();
    source.BitsSize = static_cast<std::int32_t>(codes.size());
    try {
        TZdDIBInfo result = fourBit ? Convert4BitRLETo4BitRGB(source, false) : Convert8BitRLETo8BitRGB(source, false);
        ReleaseMemory(result.MapHandle, result.Bits, result.BitsSize);
    } catch (const Exception&) {
    }
    return 0;
}
