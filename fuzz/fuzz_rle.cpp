// Hostile RLE code streams, wrapped in a BMP file and fed to the row decoder,
// which expands them whole before sending rows: the first four bytes choose
// the picture (4 or 8 bits, width and height up to 512, row order), the rest
// are codes.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "BmpBuilder.h"
#include "BmpRows.h"
#include "RuntimeErrors.h"
#include "ZdDIBTypes.h"

using namespace imvexa;

namespace {

// Reads every byte of every row, so that the sanitizers see each one.
class ReadingSink : public TRowSink {
public:
    void Begin(const PictureHeader& header) override {
        rowBytes_ = static_cast<std::size_t>((std::int64_t{header.width} * header.bitsPerPixel + 7) / 8);
    }
    void Row(const std::uint8_t* pixels) override {
        std::uint32_t sum = 0;
        for (std::size_t i = 0; i < rowBytes_; ++i) sum += pixels[i];
        sum_ = sum;
    }

private:
    std::size_t rowBytes_ = 0;
    volatile std::uint32_t sum_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return 0;
    const bool fourBit = data[0] & 1;
    const int width = 1 + data[1] + 256 * ((data[0] >> 1) & 1);
    const int height = 1 + data[2] + 256 * (data[3] & 1);
    // The codes end the file, so that any read past them is caught.
    const std::vector<std::uint8_t> file = test::BmpBuilder()
                                               .Size(width, (data[3] & 0x80) ? -height : height)
                                               .Bits(fourBit ? 4 : 8)
                                               .Compression(fourBit ? kBiRle4 : kBiRle8)
                                               .Colors(std::vector<std::uint32_t>(fourBit ? 16 : 256))
                                               .Pixels(std::vector<std::uint8_t>(data + 4, data + size))
                                               .Build();
    try {
        ReadingSink sink;
        DecodeBMP(file, sink);
    } catch (const Exception&) {
    }
    return 0;
}
