// Bitmap pixels in plain zero-filled memory.
#include <cstdlib>

#include "BitmapSurface.h"
#include "RuntimeErrors.h"

namespace imvexa {

// Plain memory needs nothing beside the pixels.
struct TBitmap::Surface::Platform {};

std::unique_ptr<TBitmap::Surface> TBitmap::Surface::Create(int width, int height, int bitsPerPixel,
                                                           const std::vector<PaletteEntry>&) {
    std::unique_ptr<Surface> surface(new Surface());
    surface->stride = RowStride(width, bitsPerPixel);
    surface->bits = static_cast<std::uint8_t*>(std::calloc(static_cast<std::size_t>(surface->stride * height), 1));
    if (surface->bits == nullptr) throw EOutOfResources("TBitmap: Cannot Create Bitmap");
    return surface;
}

TBitmap::Surface::~Surface() {
    std::free(bits);
}

void TBitmap::Surface::SetColorTable(const std::vector<PaletteEntry>&) {}

}  // namespace imvexa
