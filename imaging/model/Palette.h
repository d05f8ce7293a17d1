#pragma once
// Logical palettes. On Windows a PaletteHandle is a GDI HPALETTE; natively it
// is a small heap object with the same behaviour, so portable code can hand
// palettes around the way the Windows code does.
#include <cstdint>

namespace imvexa {

struct PaletteEntry {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::uint8_t flags = 0;
};

struct PaletteObject;
using PaletteHandle = PaletteObject*;

// A new palette of count (1..256) entries, or null when the platform refuses.
PaletteHandle CreatePaletteHandle(const PaletteEntry* entries, int count);
// Copies up to count entries from index start; returns how many were copied
// (0 for a null handle or when start is past the last entry).
int GetPaletteHandleEntries(PaletteHandle palette, int start, int count, PaletteEntry* out);
// Number of entries of the palette, 0 for a null handle.
int PaletteHandleSize(PaletteHandle palette);
// Deletes the palette; a null handle is ignored.
void DeletePaletteHandle(PaletteHandle palette);

}  // namespace imvexa
