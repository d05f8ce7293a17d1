#pragma once
// Speed mode's JPEG decoding. libjpeg decodes at 1/2, 1/4 or 1/8 of the size
// much faster than at full size, and speed mode stretches the picture anyway,
// so it decodes only as much as the stretch needs. The layout still comes
// from the file's full size: the picture lands where the full-size picture
// would, and a picture that fits is decoded at full size as before.
#include <cstdint>
#include <span>

#include "JPEGSettings.h"
#include "PictureRows.h"
#include "ThumbnailLayout.h"

namespace imvexa {

// The largest reduced scale at which a width × height picture still has at
// least twice the target's width and height (the library rounds a reduced
// size up); full size for a picture that is not scaled or that no reduced
// scale leaves that large.
TJPEGScale ReducedJPEGScale(int width, int height, const ThumbnailLayout& layout);

struct ReducedJPEG {
    ThumbnailLayout layout;  // of the file's full size
    TJPEGScale scale = TJPEGScale::FullSize;
};

// Reads the file's header (EJPEG when it is not a JPEG image) and plans the
// decoding for an edge × edge thumbnail.
ReducedJPEG PlanReducedJPEG(std::span<const std::uint8_t> bytes, int edge);

// Decodes the file at the plan's scale into the sink, as DecodeJPEG does.
void DecodeReducedJPEG(std::span<const std::uint8_t> bytes, const ReducedJPEG& plan, TRowSink& sink);

}  // namespace imvexa
