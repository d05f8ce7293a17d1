// The PNG image data reader against zlib's reader on the same chunks: the
// same bytes for every completed read, the same failure (class and message)
// at the same read, and the same position and chunk count left, also when
// the caller fails between two reads. The input is a small layout header
// and a zlib stream, or bytes that the target compresses first and then
// damages at one place, so that most inputs reach deep into valid streams.
//
// Header (10 bytes): row size (2, 1..512), rows (2, 1..2048), IDAT chunk
// size (1: 0 whole, 1..127 bytes, else (n - 127) × 512), what follows the
// last IDAT (1: IEND, a second IDAT, nothing, another chunk), mode (1: bit 0
// compress the rest at level (mode >> 1) % 10), damage position (2) and
// XOR value (1), and the read after which the caller fails (1, 0 never).
#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <typeinfo>
#include <vector>

#include "PngDataPieces.h"
#include "PngImageData.h"
#include "PngZlibReader.h"
#include "RuntimeErrors.h"

using namespace imvexa;
using namespace imvexa::png;

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Layout {
    std::size_t rowBytes;
    std::size_t rows;
    std::size_t chunkBytes;
    int tail;
    int stopAfter;
};

void PutUInt32(Bytes& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void PutChunk(Bytes& out, const char* type, const std::uint8_t* data, std::size_t size) {
    PutUInt32(out, static_cast<std::uint32_t>(size));
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data, data + size);
    PutUInt32(out, 0);  // CRCs are not checked
}

// The chunks from the first IDAT on.
Bytes Chunks(const Bytes& stream, const Layout& layout) {
    Bytes out;
    const std::size_t step = layout.chunkBytes == 0 ? std::max<std::size_t>(stream.size(), 1) : layout.chunkBytes;
    std::size_t at = 0;
    do {
        const std::size_t size = std::min(step, stream.size() - at);
        PutChunk(out, "IDAT", stream.data() + at, size);
        at += size;
    } while (at < stream.size());
    const std::uint8_t junk[] = {0x78, 0x9C, 0x03, 0x00};
    if (layout.tail == 0) PutChunk(out, "IEND", nullptr, 0);
    if (layout.tail == 1) PutChunk(out, "IDAT", junk, sizeof junk);
    if (layout.tail == 3) PutChunk(out, "tEXt", junk, sizeof junk);
    return out;
}

struct CallerFailure {};

struct Outcome {
    Bytes rows;  // the completed reads
    std::string failure;
    std::uint64_t position = 0;
    std::int32_t remaining = 0;
    bool operator==(const Outcome&) const = default;
};

template <class Reader>
Outcome Run(const Bytes& file, const Layout& layout) {
    Outcome outcome;
    TPngBytes bytes(file);
    bytes.Skip(8);
    std::int32_t remaining = static_cast<std::int32_t>(file[0] << 24 | file[1] << 16 | file[2] << 8 | file[3]);
    Bytes row(layout.rowBytes);
    try {
        Reader reader(bytes, remaining, layout.rowBytes * layout.rows);
        for (std::size_t y = 0; y < layout.rows; ++y) {
            reader.Read(row.data(), row.size());
            outcome.rows.insert(outcome.rows.end(), row.begin(), row.end());
            if (static_cast<int>(y) + 1 == layout.stopAfter) throw CallerFailure{};
        }
        reader.Finish();
    } catch (const Exception& e) {
        outcome.failure = std::string(typeid(e).name()) + ": " + e.what();
    } catch (const CallerFailure&) {
        outcome.failure = "caller";
    }
    outcome.position = bytes.Position();
    outcome.remaining = remaining;
    return outcome;
}

// zlib's reader in the shape of TPngImageData.
class TZlibOnly {
public:
    TZlibOnly(TPngBytes& bytes, std::int32_t& remaining, std::uint64_t)
        : bytes_(bytes), remaining_(remaining), zlib_(bytes, remaining) {}
    void Read(std::uint8_t* out, std::size_t count) { zlib_.Read(out, count); }
    void Finish() { SkipRestOfChunk(bytes_, remaining_); }

private:
    TPngBytes& bytes_;
    std::int32_t& remaining_;
    TZlibReader zlib_;
};

Bytes Stream(const std::uint8_t* data, std::size_t size, int mode, std::size_t damageAt, std::uint8_t damage) {
    Bytes stream(data, data + size);
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
    const Layout layout{static_cast<std::size_t>((data[0] << 8 | data[1]) % 512 + 1),
                        static_cast<std::size_t>((data[2] << 8 | data[3]) % 2048 + 1),
                        static_cast<std::size_t>(split < 128 ? split : (split - 127) * 512), data[5] & 3, data[9]};
    const Bytes stream = Stream(data + 10, size - 10, data[6], static_cast<std::size_t>(data[7]) << 8, data[8]);
    const Bytes file = Chunks(stream, layout);
    if (!(Run<TPngImageData>(file, layout) == Run<TZlibOnly>(file, layout))) __builtin_trap();
    return 0;
}
