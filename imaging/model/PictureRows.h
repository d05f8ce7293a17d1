#pragma once
// The interface between the decoders and whatever consumes a picture: a
// decoder reads the file's header, announces the picture, then hands over its
// rows one at a time, in the order the file holds them. The consumer (a
// bitmap, the thumbnail's composition, a reduction) owns the sink and keeps
// only what it needs, so no decoder has to hold the whole picture.
#include <cstdint>
#include <vector>

#include "Palette.h"

namespace imvexa {

// The order in which rows arrive: TopDown starts with the picture's top row,
// BottomUp with its bottom row (as bottom-up DIBs and BMP files hold them).
enum class TRowOrder { TopDown, BottomUp };

// What a decoder knows before its first row.
struct PictureHeader {
    std::int32_t width = 0;
    std::int32_t height = 0;
    // 1, 4 or 8: indices into colors, the leftmost pixel in the highest bits;
    // 24: blue, green, red bytes; 32 (only with alpha): blue, green, red,
    // alpha bytes, the alpha straight (colours not multiplied by it).
    int bitsPerPixel = 24;
    // The colour table of 1-, 4- and 8-bit pictures (at most 2^bits entries);
    // a 24-bit picture may bring a palette that its pixels do not use.
    std::vector<PaletteEntry> colors;
    TRowOrder order = TRowOrder::TopDown;
    // Rows of 32 bits with alpha. Only a decoder asked for alpha sends them;
    // every other sink gets 1, 4, 8 or 24 bits.
    bool alpha = false;
};

class TRowSink {
public:
    virtual ~TRowSink() = default;
    // Called once, before any row; a picture of zero width or height gets no rows.
    virtual void Begin(const PictureHeader& header) = 0;
    // Called height times, once per row in the header's order: the row's
    // pixels packed at bitsPerPixel, (width · bitsPerPixel + 7) / 8 bytes,
    // valid only during the call.
    virtual void Row(const std::uint8_t* pixels) = 0;
    // A sink that keeps the whole picture at the header's format may offer
    // its own storage of picture row y (counted from the top), valid from
    // Begin on. A decoder that produces rows out of order (an interlaced
    // picture) may then write the packed pixels straight there instead of
    // buffering the picture: the rows it fills that way count as delivered
    // and get no Row call. Null (the default): rows come only through Row.
    virtual std::uint8_t* StoredRow(std::int32_t /*y*/) { return nullptr; }
};

}  // namespace imvexa
