#pragma once
// The directory of an icon file (.ico) and the choice of its image.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "RuntimeErrors.h"

namespace imvexa {

class EIconError : public Exception {
public:
    using Exception::Exception;
};

struct IconImageEntry {
    int width = 0;         // 256 where the directory says 0
    int height = 0;
    int bitsPerPixel = 0;  // from the bit count, else from the colour count
    std::uint32_t offset = 0;
    std::uint32_t size = 0;
};

// The entries of an icon file; each image lies inside the file. Raises
// EIconError for anything that is not an icon file.
std::vector<IconImageEntry> ReadIconDirectory(const std::uint8_t* data, std::size_t size);

// The image nearest in size to wanted width × height; among equally near
// ones, those the display can show (displayBits) with the most colours win,
// then the first in the directory. entries must not be empty.
std::size_t ChooseIconImage(const std::vector<IconImageEntry>& entries, int wantedWidth, int wantedHeight,
                            int displayBits);

}  // namespace imvexa
