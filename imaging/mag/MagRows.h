#pragma once
// MAG pictures as rows: the units of each row decoded from the flag and
// pixel streams and handed to a row sink, top row first.
#include <cstdint>
#include <span>

#include "MagRead.h"
#include "PictureRows.h"

namespace imvexa {

// Announces the picture of a file that ReadMagLayout took apart (4 bits per
// pixel for 16 colours, 8 for 256, the file's palette, top row first) and
// sends its rows. Only the rows that copies reach back to are kept.
// EMagError when a stream runs past the end of the file or a copy reaches
// outside the picture.
void SendMagRows(std::span<const std::uint8_t> bytes, const MagLayout& layout, TRowSink& sink);

// Both steps, the picture bounded by the streamed limits.
void DecodeMAG(std::span<const std::uint8_t> bytes, TRowSink& sink);

}  // namespace imvexa
