#include "PngChunks.h"

#include <zlib.h>

#include <cstring>

namespace imvexa::png {

void PutUInt32(std::uint8_t* to, std::uint32_t value) {
    to[0] = static_cast<std::uint8_t>(value >> 24);
    to[1] = static_cast<std::uint8_t>(value >> 16);
    to[2] = static_cast<std::uint8_t>(value >> 8);
    to[3] = static_cast<std::uint8_t>(value);
}

void WriteChunk(TStream& stream, const char* type, const std::uint8_t* data, std::size_t size) {
    std::uint8_t head[8];
    PutUInt32(head, static_cast<std::uint32_t>(size));
    std::memcpy(head + 4, type, 4);
    uLong crc = crc32(0L, head + 4, 4);
    if (size > 0) crc = crc32(crc, data, static_cast<uInt>(size));
    std::uint8_t tail[4];
    PutUInt32(tail, static_cast<std::uint32_t>(crc));
    stream.WriteBuffer(head, sizeof head);
    stream.WriteBuffer(data, size);
    stream.WriteBuffer(tail, sizeof tail);
}

}  // namespace imvexa::png
