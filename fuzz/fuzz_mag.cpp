// Hostile MAG files: loading must fail cleanly or give a picture that the
// writer stores and the reader gives back unchanged.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "Mag.h"
#include "RuntimeErrors.h"
#include "Stream.h"

using namespace imvexa;

namespace {

bool SamePicture(const TBitmap& a, const TBitmap& b) {
    if (a.PixelFormat() != b.PixelFormat() || a.Width() != b.Width() || a.Height() != b.Height()) return false;
    const auto rowBytes = static_cast<std::size_t>(a.Width()) * static_cast<std::size_t>(a.BitsPerPixel()) / 8;
    for (int y = 0; y < a.Height(); ++y)
        if (!std::equal(a.ScanLine(y), a.ScanLine(y) + rowBytes, b.ScanLine(y))) return false;
    const auto sameColor = [](const PaletteEntry& x, const PaletteEntry& y) {
        return x.red == y.red && x.green == y.green && x.blue == y.blue;
    };
    return std::equal(a.ColorTable().begin(), a.ColorTable().end(), b.ColorTable().begin(), b.ColorTable().end(),
                      sameColor);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TMAGImage image;
    try {
        TBorrowedMemoryStream stream(data, size);
        image.LoadFromStream(stream);
    } catch (const Exception&) {
        return 0;
    }
    TBitmap copy;
    copy.Assign(&image);

    TMemoryStream saved;
    try {
        image.SaveToStream(saved);
    } catch (const EInvalidMagOperation&) {
        return 0;  // a comment or user name that holds a 0x00 byte
    }
    saved.Seek(0, SeekOrigin::Begin);
    TMAGImage reloaded;
    reloaded.LoadFromStream(saved);
    if (!SamePicture(copy, reloaded.InternalBitmap())) __builtin_trap();
    return 0;
}
