// Hostile BMP files: loading must fail cleanly or give an image whose every
// operation stays inside its pixel block, and the row decoder must give the
// picture a bitmap loads from the same file.
#include <cstddef>
#include <cstdint>
#include <span>

#include "BmpRows.h"
#include "FuzzPictures.h"
#include "Stream.h"
#include "ZdDIB.h"

using namespace imvexa;

namespace {

// The row decoder against the bitmap: where loading succeeds, the rows are its picture.
void CheckRows(const std::uint8_t* data, std::size_t size) {
    TBitmap rows;
    const bool decoded = fuzz::DecodeRows([&](TRowSink& sink) { DecodeBMP(std::span(data, size), sink); }, rows);
    TBitmap loaded;
    try {
        TBorrowedMemoryStream stream(data, size);
        loaded.LoadFromStream(stream);
    } catch (const Exception&) {
        return;
    }
    if (!decoded || !fuzz::SamePicture(loaded, rows)) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CheckRows(data, size);
    TZdDIB image;
    try {
        TBorrowedMemoryStream stream(data, size);
        image.LoadFromStream(stream);
    } catch (const Exception&) {
        return 0;
    }
    try {
        // RLE storage expands to plain rows; every row is then readable.
        const TZdPixelFormat format = image.PixelFormat();
        if (format == zdPf8BitRLE) image.SetPixelFormat(zdPf8Bit);
        if (format == zdPf4BitRLE) image.SetPixelFormat(zdPf4Bit);
        // A grid of at most 64 × 64 samples keeps large pictures fast to check.
        const int stepX = image.Width() / 64 + 1, stepY = image.Height() / 64 + 1;
        for (int y = 0; y < image.Height(); y += stepY)
            for (int x = 0; x < image.Width(); x += stepX) image.Pixels(x, y);
        image.Pixels(image.Width(), image.Height());

        if (image.InternalDIB().Info.BitsSize > (1 << 24)) return 0;
        TMemoryStream saved;
        image.SaveToStream(saved);
        saved.Seek(0, SeekOrigin::Begin);
        TZdDIB reloaded;
        reloaded.LoadFromStream(saved);
    } catch (const Exception&) {
    }
    return 0;
}
