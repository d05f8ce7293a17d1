#pragma once
// PNG rows with transparency: 32-bit blue, green, red, alpha (straight)
// from an alpha channel or from the transparency a tRNS chunk declares.
#include <cstdint>
#include <optional>
#include <span>

#include "Palette.h"
#include "QXPNGLConvert.h"

namespace imvexa::png {

// The format of rows with alpha for an accepted IHDR (as ChooseRowFormat
// takes it), its palette and the data of its tRNS chunk (empty without one).
// Alpha channels and 16-bit samples keep their most significant byte;
// palette entries beyond the table are opaque black, entries beyond the
// tRNS data opaque; a tRNS key colour is compared at the sample's full depth.
// Nothing when the picture has no transparency: no alpha channel and no tRNS
// data that fits the colour type (two bytes for greyscale, six for
// truecolour, at most one per palette entry), as a tRNS that does not fit is
// ignored.
std::optional<RowFormat> ChooseAlphaRowFormat(int colorTypeBase, bool alpha, int bitDepth,
                                              std::span<const PaletteEntry> palette,
                                              std::span<const std::uint8_t> transparency);

}  // namespace imvexa::png
