#pragma once
// Run-length coding of 8- and 4-bit pixel blocks (the BI_RLE8 and BI_RLE4
// codes of BMP files). Each routine leaves the source untouched and returns a
// complete info record with a new pixel block from GetMemory, which the
// caller installs or releases; on failure nothing stays allocated.
#include "ZdDIBTypes.h"

namespace imvexa {

// Expands RLE data into uncompressed rows; pixels that no code sets stay 0.
// EZdDIBBadDIBType for a source of another format, EZdDIBInvalidDIB for codes
// that would write outside the picture or data that ends without the
// end-of-bitmap code.
TZdDIBInfo Convert8BitRLETo8BitRGB(const TZdDIBInfo& source, bool useMapping);
TZdDIBInfo Convert4BitRLETo4BitRGB(const TZdDIBInfo& source, bool useMapping);

// Compresses uncompressed rows into bottom-up RLE data. EZdDIBBadDIBType for
// a source of another format, EZdDIBCompressionFailed when the codes would
// not fit in the uncompressed size.
TZdDIBInfo Convert8BitRGBTo8BitRLE(const TZdDIBInfo& source, bool useMapping);
TZdDIBInfo Convert4BitRGBTo4BitRLE(const TZdDIBInfo& source, bool useMapping);

}  // namespace imvexa
