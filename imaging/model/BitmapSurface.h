#pragma once
// The pixel memory behind a TBitmap: a top-down block of rows of the
// bitmap's stride. Bitmap.cpp holds the portable logic; the platform files
// (BitmapSurface_win32.cpp, BitmapSurface_posix.cpp) allocate the memory.
#include <cstdint>
#include <memory>
#include <vector>

#include "Bitmap.h"

namespace imvexa {

struct TBitmap::Surface {
    // Zero-filled rows of width × height pixels at bitsPerPixel (1, 4, 8, 24
    // or 32), with the colour table (for 1, 4 and 8 bits). Raises
    // EOutOfResources "TBitmap: Cannot Create Bitmap" when refused.
    static std::unique_ptr<Surface> Create(int width, int height, int bitsPerPixel,
                                           const std::vector<PaletteEntry>& colors);
    ~Surface();
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    // Replaces the colour table that drawing uses (DIB-section colour table on Windows).
    void SetColorTable(const std::vector<PaletteEntry>& colors);

    std::uint8_t* bits = nullptr;  // row 0 at the top
    std::int64_t stride = 0;

    // What the platform keeps beside the pixels (BitmapSurface_win32.h).
    struct Platform;
    std::unique_ptr<Platform> platform;

private:
    Surface() = default;
};

}  // namespace imvexa
