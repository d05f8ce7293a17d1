// Palette handles are GDI logical palettes.
#include <windows.h>

#include <vector>

#include "Owners.h"
#include "Palette.h"

namespace imvexa {

namespace {
HPALETTE ToGdi(PaletteHandle palette) { return reinterpret_cast<HPALETTE>(palette); }
}  // namespace

static_assert(sizeof(PaletteEntry) == sizeof(PALETTEENTRY));

PaletteHandle CreatePaletteHandle(const PaletteEntry* entries, int count) {
    if (count < 1 || count > 256) return nullptr;
    std::vector<BYTE> memory(sizeof(LOGPALETTE) + sizeof(PALETTEENTRY) * static_cast<std::size_t>(count));
    auto* logical = reinterpret_cast<LOGPALETTE*>(memory.data());
    logical->palVersion = 0x300;
    logical->palNumEntries = static_cast<WORD>(count);
    for (int i = 0; i < count; ++i)
        logical->palPalEntry[i] = {entries[i].red, entries[i].green, entries[i].blue, entries[i].flags};
    return reinterpret_cast<PaletteHandle>(CreatePalette(logical));
}

int GetPaletteHandleEntries(PaletteHandle palette, int start, int count, PaletteEntry* out) {
    if (!palette || start < 0 || count <= 0) return 0;
    return static_cast<int>(GetPaletteEntries(ToGdi(palette), static_cast<UINT>(start), static_cast<UINT>(count),
                                              reinterpret_cast<PALETTEENTRY*>(out)));
}

int PaletteHandleSize(PaletteHandle palette) {
    if (!palette) return 0;
    WORD entries = 0;
    return GetObjectA(ToGdi(palette), sizeof(entries), &entries) ? entries : 0;
}

void DeletePaletteHandle(PaletteHandle palette) { win32::Palette(ToGdi(palette)).Reset(); }

}  // namespace imvexa
