// The PNG image data reader against zlib's reader on the same chunks
// (ImageDataRuns.h): the same bytes for every completed read, the same
// failure at the same read, and the same position and chunk count left,
// also when the caller fails between two reads. The input is a small layout
// header and a zlib stream, or bytes that the target compresses first and
// then damages at one place, so that most inputs reach deep into valid
// streams.
//
// Header (10 bytes): row size (2, 1..512), rows (2, 1..2048), IDAT chunk
// size (1: 0 whole, 1..127 bytes, else (n - 127) × 512), what follows the
// last IDAT (1), mode (1: bit 0 compress the rest at level (mode >> 1) %
// 10), damage position (1, × 256) and XOR value (1), and the read after
// which the caller fails (1, 0 never).
#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "ImageDataRuns.h"

using namespace imvexa::test::png;

namespace {

std::vector<std::uint8_t> Stream(const std::uint8_t* data, std::size_t size, int mode, std::size_t damageAt,
                                 std::uint8_t damage) {
    std::vector<std::uint8_t> stream(data, data + size);
    if ((mode & 1) != 0) {
        uLongf length = compressBound(static_cast<uLong>(size));
        stream.assign(length, 0);
        if (compress2(stream.data(), &length, data, static_cast<uLong>(size), (mode >> 1) % 10) != Z_OK) return {};
        stream.resize(length);
    }
    if (!stream.empty()) stream[damageAt % stream.size()] ^= damage;
    return stream;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 10) return 0;
    const int split = data[4];
    const DataLayout layout{static_cast<std::size_t>((data[0] << 8 | data[1]) % 512 + 1),
                            static_cast<std::size_t>((data[2] << 8 | data[3]) % 2048 + 1),
                            static_cast<std::size_t>(split < 128 ? split : (split - 127) * 512), data[5] & 3,
                            data[9]};
    const auto stream = Stream(data + 10, size - 10, data[6], static_cast<std::size_t>(data[7]) << 8, data[8]);
    const auto chunks = DataChunks(stream, layout);
    if (!(RunReader<imvexa::png::TPngImageData>(chunks, layout) == RunReader<TZlibOnly>(chunks, layout)))
        __builtin_trap();
    return 0;
}
