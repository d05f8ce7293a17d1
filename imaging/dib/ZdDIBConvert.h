#pragma once
// The pixel-format conversion steps of the DIB image (TZdDIB::SetPixelFormat
// chains them). Each step leaves its source untouched and returns a complete
// info record with a new pixel block from GetMemory, which the caller installs
// or releases; on failure nothing stays allocated. Memory row i of the result
// comes from memory row i of the source; the header and colour entries that a
// step does not compute stay as they were.
//
// A step raises EZdDIBBadDIBType when its source has another format,
// EZdDIBInvalidDIB when the header does not fit its pixel block, and
// EOutOfMemory when the result or the work memory would be too large.
#include <cstdint>
#include <functional>

#include "ZdDIBTypes.h"

namespace imvexa {

// Called once for each leaf of the palette tree of a palette-computing step:
// 256 times for 8-bit results, 16 times for 4-bit ones.
using ConversionProgress = std::function<void()>;

// Index widening: the colour count and colour table stay, so the picture
// looks the same.
TZdDIBInfo Convert1BitRGBTo4BitRGB(const TZdDIBInfo& source, bool useMapping);
TZdDIBInfo Convert1BitRGBTo8BitRGB(const TZdDIBInfo& source, bool useMapping);
TZdDIBInfo Convert4BitRGBTo8BitRGB(const TZdDIBInfo& source, bool useMapping);

// Expansion to blue, green, red bytes through the colour table, which stays
// in the record.
TZdDIBInfo Convert1BitRGBToTrueColor(const TZdDIBInfo& source, bool useMapping);
TZdDIBInfo Convert4BitRGBToTrueColor(const TZdDIBInfo& source, bool useMapping);
TZdDIBInfo Convert8BitRGBToTrueColor(const TZdDIBInfo& source, bool useMapping);

// Black and white against a key colour 0x00BBGGRR: a pixel whose colour is
// exactly the key becomes 1 (white), every other one 0 (black).
TZdDIBInfo ConvertTrueColorTo1BitRGB(const TZdDIBInfo& source, bool useMapping, std::uint32_t keyColor);
TZdDIBInfo Convert8BitTo1BitRGB(const TZdDIBInfo& source, bool useMapping, std::uint32_t keyColor);
TZdDIBInfo Convert4BitRGBTo1BitRGB(const TZdDIBInfo& source, bool useMapping, std::uint32_t keyColor);

// Reduction of 24-bit pixels to a computed palette by variance splitting.
// Low quantizes the means of a 5-6-5 colour histogram, High every pixel.
TZdDIBInfo ConvertTrueColorTo8BitRGBLow(const TZdDIBInfo& source, bool useMapping, const ConversionProgress& progress);
TZdDIBInfo ConvertTrueColorTo8BitRGBHigh(const TZdDIBInfo& source, bool useMapping,
                                         const ConversionProgress& progress);
TZdDIBInfo ConvertTrueColorTo4BitRGBLow(const TZdDIBInfo& source, bool useMapping, const ConversionProgress& progress);
TZdDIBInfo ConvertTrueColorTo4BitRGBHigh(const TZdDIBInfo& source, bool useMapping,
                                         const ConversionProgress& progress);
// Reduction of an 8-bit picture to 16 colours computed from its used colours.
TZdDIBInfo Convert8BitRGBTo4BitRGB(const TZdDIBInfo& source, bool useMapping, const ConversionProgress& progress);

// Error diffusion of an uncompressed 1-, 4-, 8- or 24-bit picture onto the
// colour halftone palette (8 bits) or onto black and white (1 bit).
TZdDIBInfo ConvertToHalfTone(const TZdDIBInfo& source, bool useMapping);
TZdDIBInfo ConvertToHalfToneBW(const TZdDIBInfo& source, bool useMapping);

}  // namespace imvexa
