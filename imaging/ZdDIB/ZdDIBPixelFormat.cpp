// Pixel-format conversion: each supported pair of formats maps to one routine
// that builds the converted picture from the current one.
#include <string>

#include "ZdDIB.h"
#include "ZdDIBRle.h"

namespace imvexa {

namespace {

using Conversion = TZdDIBInfo (*)(const TZdDIBInfo& source, bool useMapping);

struct ConversionEntry {
    TZdPixelFormat from;
    TZdPixelFormat to;
    Conversion convert;
};

constexpr ConversionEntry kConversions[] = {
    {zdPf8BitRLE, zdPf8Bit, Convert8BitRLETo8BitRGB},
    {zdPf4BitRLE, zdPf4Bit, Convert4BitRLETo4BitRGB},
    {zdPf8Bit, zdPf8BitRLE, Convert8BitRGBTo8BitRLE},
    {zdPf4Bit, zdPf4BitRLE, Convert4BitRGBTo4BitRLE},
};

const char* PixelFormatName(TZdPixelFormat format) {
    static constexpr const char* kNames[] = {
        "zdPf1Bit", "zdPf4Bit", "zdPf4BitRLE", "zdPf8Bit", "zdPf8BitRLE", "zdPf24Bit", "zdPfHalftone", "zdPfHalftoneBW",
    };
    return format <= zdPfHalftoneBW ? kNames[format] : "?";
}

}  // namespace

void TZdDIB::SetPixelFormat(TZdPixelFormat format) {
    const TZdPixelFormat current = PixelFormat();
    if (current == format) return;
    for (const ConversionEntry& entry : kConversions) {
        if (entry.from != current || entry.to != format) continue;
        // The converted picture goes into a new storage, so an image that
        // shares the old one keeps it unchanged.
        auto storage = NewInternalDIB();
        storage->Install(entry.convert(InternalDIB().Info, storage->UseFMO));
        ReplaceInternalDIB(std::move(storage));
        Changed();
        return;
    }
    throw EZdDIBBadDIBType(std::string("TZdDIB.SetPixelFormat: Cannot convert ") + PixelFormatName(current) + " to " +
                           PixelFormatName(format));
}

}  // namespace imvexa
