#pragma once
// Runs the PNG image data reader, or zlib's reader in its shape, over IDAT
// chunks laid out as a test asks, and collects what a caller can observe:
// the bytes of every completed read, the failure (class and message), and
// the position and chunk count left, also when the caller itself fails
// after a given read. Shared by the reader's tests and its fuzz target.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <typeinfo>
#include <vector>

#include "PngDataPieces.h"
#include "PngImageData.h"
#include "PngZlibReader.h"
#include "RuntimeErrors.h"

namespace imvexa::test::png {

struct DataLayout {
    std::size_t rowBytes;
    std::size_t rows;
    std::size_t chunkBytes;  // 0: one IDAT chunk
    int tail;                // after the last IDAT: 0 IEND, 1 another IDAT, 2 nothing, 3 another chunk
    std::size_t stopAfter;   // the caller fails after this read (0: never)
};

inline void PutDataChunk(std::vector<std::uint8_t>& out, const char* type, std::span<const std::uint8_t> data) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(data.size() >> shift));
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(type[i]));
    for (std::uint8_t b : data) out.push_back(b);
    out.insert(out.end(), 4, 0);  // CRCs are not checked
}

// The chunks from the first IDAT on.
inline std::vector<std::uint8_t> DataChunks(const std::vector<std::uint8_t>& stream, const DataLayout& layout) {
    std::vector<std::uint8_t> out;
    const std::size_t step = layout.chunkBytes == 0 ? std::max<std::size_t>(stream.size(), 1) : layout.chunkBytes;
    std::size_t at = 0;
    do {
        const std::size_t size = std::min(step, stream.size() - at);
        PutDataChunk(out, "IDAT", std::span(stream).subspan(at, size));
        at += size;
    } while (at < stream.size());
    const std::uint8_t junk[] = {0x78, 0x9C, 0x03, 0x00};
    if (layout.tail == 0) PutDataChunk(out, "IEND", {});
    if (layout.tail == 1) PutDataChunk(out, "IDAT", junk);
    if (layout.tail == 3) PutDataChunk(out, "tEXt", junk);
    return out;
}

struct DataOutcome {
    std::vector<std::uint8_t> rows;
    std::string failure;
    std::uint64_t position = 0;
    std::int32_t remaining = 0;
    bool operator==(const DataOutcome&) const = default;
};

// zlib's reader in the shape of TPngImageData.
class TZlibOnly {
public:
    TZlibOnly(imvexa::png::TPngBytes& bytes, std::int32_t& remaining, std::uint64_t)
        : bytes_(bytes), remaining_(remaining), zlib_(bytes, remaining) {}
    void Read(std::uint8_t* out, std::size_t count) { zlib_.Read(out, count); }
    void Finish() { imvexa::png::SkipRestOfChunk(bytes_, remaining_); }

private:
    imvexa::png::TPngBytes& bytes_;
    std::int32_t& remaining_;
    imvexa::png::TZlibReader zlib_;
};

template <class Reader>
DataOutcome RunReader(const std::vector<std::uint8_t>& chunks, const DataLayout& layout) {
    struct CallerFailure {};
    DataOutcome outcome;
    imvexa::png::TPngBytes bytes(chunks);
    bytes.Skip(8);
    auto remaining = static_cast<std::int32_t>(chunks[0] << 24 | chunks[1] << 16 | chunks[2] << 8 | chunks[3]);
    std::vector<std::uint8_t> row(layout.rowBytes);
    try {
        Reader reader(bytes, remaining, layout.rowBytes * layout.rows);
        for (std::size_t y = 1; y <= layout.rows; ++y) {
            reader.Read(row.data(), row.size());
            outcome.rows.insert(outcome.rows.end(), row.begin(), row.end());
            if (y == layout.stopAfter) throw CallerFailure{};
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

}  // namespace imvexa::test::png
