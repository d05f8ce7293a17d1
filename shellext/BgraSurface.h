#pragma once
// The thumbnail provider's bitmap: a 32-bit top-down DIB section of blue,
// green, red and alpha bytes, with a memory DC that GDI draws through.
#include <windows.h>

#include <cstdint>
#include <optional>

#include "Owners.h"

namespace imvexa {

class TBgraSurface {
public:
    // Every pixel starts as 0 (black, alpha 0). Raises EOutOfResources
    // "TBitmap: Cannot Create Bitmap" when the platform cannot make it.
    TBgraSurface(int width, int height);

    int Width() const { return width_; }
    int Height() const { return height_; }
    HDC Canvas() const { return dc_.Get(); }
    // Row y (0 at the top), width × 4 bytes; GDI's drawing is flushed first.
    std::uint8_t* Row(int y);

    // Paints every pixel with the colour (alpha 255).
    void Fill(COLORREF color);
    // Sets every alpha byte to 255: GDI's drawing leaves them undefined.
    void MakeOpaque();

    // The DIB section, no longer selected anywhere: the caller owns it.
    HBITMAP Release();

private:
    int width_, height_;
    std::uint8_t* bits_ = nullptr;
    win32::Bitmap bitmap_;
    win32::MemoryDC dc_;
    std::optional<win32::SelectedObject> selected_;
};

}  // namespace imvexa
