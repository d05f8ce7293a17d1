#pragma once
// Recognising a metafile file and working out its size in pixels.
#include <cstddef>
#include <cstdint>

#include "RuntimeErrors.h"

namespace imvexa {

class EMetafileError : public Exception {
public:
    using Exception::Exception;
};

enum class MetafileKind { Enhanced, Placeable };

struct MetafileInfo {
    MetafileKind kind = MetafileKind::Enhanced;
    int width = 0;   // pixels
    int height = 0;
    // Placeable files only: the bounding box in metafile units and the units
    // per inch (96 when the header gives 0).
    int boxWidth = 0;
    int boxHeight = 0;
    int unitsPerInch = 0;
};

inline constexpr std::size_t kPlaceableHeaderSize = 22;

// An enhanced metafile carries " EMF" at offset 40; anything else must be a
// placeable Windows metafile with a valid header checksum. screenPixelsPerInch
// converts a placeable file's box to pixels. Raises EMetafileError for any
// other content and for pictures without a positive size.
MetafileInfo ReadMetafileHeader(const std::uint8_t* data, std::size_t size, int screenPixelsPerInch);

}  // namespace imvexa
