#include "ZdDIB.h"
#include "ZdDIBPlatform.h"

namespace imvexa {

PaletteHandle TZdDIB::Palette() {
    TZdInternalDIB& storage = Storage("GetPalette");
    if (HalftoneMode == 1 || HalftoneMode == 2) return HalftonePalette(HalftoneMode);
    return storage.GetPalette();
}

void TZdDIB::SetPalette(PaletteHandle palette) {
    // The image's own cached palette already matches its colour table; taking
    // it again must neither delete it nor let two storages own it.
    if (palette != nullptr && palette == Storage("SetPalette").Palette) {
        Changed();
        return;
    }
    PaletteEntry entries[kMaxColors];
    const int count = palette == nullptr ? 0 : GetPaletteHandleEntries(palette, 0, kMaxColors, entries);
    if (palette != nullptr && count == 0) throw EZdDIBInvalidPalette("TZdDIB.SetPalette: Invalid Palette");

    UniqueDIB();
    TZdInternalDIB& storage = *internalDIB_;
    storage.UpdatePalette();
    for (int i = 0; i < count; ++i)
        storage.Info.Colors[i] = RgbQuad{entries[i].blue, entries[i].green, entries[i].red, 0};
    storage.Info.Header.biClrUsed = static_cast<std::uint32_t>(count);
    storage.Palette = palette;
    UpdatePaletteModified();
    Changed();
}

}  // namespace imvexa
