// Logical palettes as plain heap objects.
#include <algorithm>
#include <vector>

#include "Palette.h"

namespace imvexa {

struct PaletteObject {
    std::vector<PaletteEntry> entries;
};

PaletteHandle CreatePaletteHandle(const PaletteEntry* entries, int count) {
    if (entries == nullptr || count < 1 || count > 256) return nullptr;
    return new PaletteObject{std::vector<PaletteEntry>(entries, entries + count)};
}

int GetPaletteHandleEntries(PaletteHandle palette, int start, int count, PaletteEntry* out) {
    if (palette == nullptr || start < 0 || count <= 0) return 0;
    const int size = static_cast<int>(palette->entries.size());
    if (start >= size) return 0;
    const int n = std::min(count, size - start);
    std::copy_n(palette->entries.begin() + start, n, out);
    return n;
}

int PaletteHandleSize(PaletteHandle palette) {
    return palette == nullptr ? 0 : static_cast<int>(palette->entries.size());
}

void DeletePaletteHandle(PaletteHandle palette) {
    delete palette;
}

}  // namespace imvexa
