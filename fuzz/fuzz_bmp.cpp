// Hostile BMP files: loading must fail cleanly or give an image whose every
// operation stays inside its pixel block, and the row decoder must give the
// picture a bitmap loads from the same file.
#include <cstddef>
#include <cstdlib>
#include <cstdint>
#include <span>

#include "BmpRows.h"
#include "FuzzPictures.h"
#include "Stream.h"
#include "ZdDIB.h"
#include "ZdDIBRead.h"

using namespace imvexa;

namespace {

// Filling a bitmap is slow under the sanitizers: larger pictures are left to
// the DIB image's checks below.
constexpr std::int64_t kComparedPixels = 1 << 22;

bool Small(const std::uint8_t* data, std::size_t size) {
    try {
        TBorrowedMemoryStream stream(data, size);
        const BitmapInfoHeader& header = ReadBmpHeaders(stream).info.Header;
        return std::abs(std::int64_t{header.biWidth} * header.biHeight) <= kComparedPixels;
    } catch (const Exception&) {
        return true;  // both fail on the headers
    }
}

// The row decoder against the bitmap: where loading succeeds, the rows are its picture.
void CheckRows(const std::uint8_t* data, std::size_t size) {
    if (!Small(data, size)) return;
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
