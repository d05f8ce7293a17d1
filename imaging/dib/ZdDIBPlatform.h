#pragma once
// The platform side of the DIB library: the few functions that differ between
// Windows (*_win32.cpp: file mappings and GDI) and other systems
// (*_posix.cpp: anonymous mappings and plain row copies). Both sides
// implement exactly this list.
#include <cstddef>
#include <cstdint>

#include "Bitmap.h"
#include "Palette.h"
#include "PixelMemory.h"
#include "ZdDIBTypes.h"

namespace imvexa {

// --- PixelMemory_win32.cpp / PixelMemory_posix.cpp
// A zero-filled, writable shared-memory mapping of size bytes. MapHandle is
// never null (natively it is the mapping's own address). Raises
// EOutOfResources "GetMemory: Cannot Make File Mapping Object" or
// "GetMemory: Cannot Make View of File Map".
PixelMemory MapPixelMemory(std::size_t size);
// Unmaps and closes a mapping from MapPixelMemory. Never throws: it runs on
// release paths, where a failure could only end the host process.
void UnmapPixelMemory(void* mapHandle, std::uint8_t* bits, std::size_t size) noexcept;

// --- ZdDIBBitmap_win32.cpp / ZdDIBBitmap_posix.cpp
// Copies the bitmap's pixels into info, whose uncompressed block CreateDIB has
// just laid out at the bitmap's size (bottom-up rows) and at bit count 1, 4,
// 8 or 24 (24 for the 32-bit Device format). Fills the colour-table entries of
// 1-, 4- and 8-bit bitmaps; biClrUsed and the resolutions are left to the
// caller.
void ReadBitmapPixels(const TBitmap& bitmap, TZdDIBInfo& info);
// Copies the pixels of info (any valid DIB, RLE included) into the bitmap,
// which the caller has already sized, given the matching pixel format and the
// image's colours.
void DrawPixelsIntoBitmap(const TZdDIBInfo& info, TBitmap& bitmap);
// The process-wide halftone palette for HalftoneMode 1 (colour) or 2 (black
// and white), owned by the library; null where drawing has no halftone mode.
PaletteHandle HalftonePalette(int halftoneMode);

}  // namespace imvexa
