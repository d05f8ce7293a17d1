#pragma once
// The compressed image data as the chunk loop meets it: pieces of at most
// 32 KB straight from the file's bytes, the next IDAT chunk's header read
// when a chunk is used up. A piece that the file does not hold in full is a
// read error, wherever the rows would end.
#include <algorithm>
#include <cstdint>
#include <span>

#include "PngBytes.h"
#include "PngErrors.h"
#include "PngFormat.h"

namespace imvexa::png {

inline constexpr std::int32_t kInputPiece = 32768;

// The data of the next piece; remaining is the current chunk's count of
// data bytes not yet taken.
inline std::span<const std::uint8_t> TakeImageDataPiece(TPngBytes& bytes, std::int32_t& remaining) {
    if (remaining <= 0) {
        bytes.Skip(4);  // the CRC of the chunk just finished
        remaining = bytes.ReadChunkLength();
        if (bytes.ReadUInt32() != kIDAT) throw EQXPNGLE("not next IDAT Chunk");
    }
    const std::int32_t count = std::min(remaining, kInputPiece);
    const std::uint8_t* data = bytes.Take(static_cast<std::size_t>(count));
    remaining -= count;
    return {data, static_cast<std::size_t>(count)};
}

// After the last row: the rest of the current chunk is skipped unread, so
// the position stands at its CRC.
inline void SkipRestOfChunk(TPngBytes& bytes, std::int32_t& remaining) {
    if (remaining > 0) {
        bytes.Skip(static_cast<std::uint32_t>(remaining));
        remaining = 0;
    }
}

}  // namespace imvexa::png
