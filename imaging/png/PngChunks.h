#pragma once
// Writing PNG chunks: shared by the product's writer and any program that
// writes PNG files row by row.
#include <cstddef>
#include <cstdint>

#include "Stream.h"

namespace imvexa::png {

// Puts value big-endian into to[0..3].
void PutUInt32(std::uint8_t* to, std::uint32_t value);

// Writes a chunk: its length, its four-letter type, the size bytes of data
// and the CRC-32 of type and data.
void WriteChunk(TStream& stream, const char* type, const std::uint8_t* data, std::size_t size);

}  // namespace imvexa::png
