// Hostile MAG files: loading must fail cleanly or give a picture that the
// writer stores and the reader gives back unchanged, and that the row
// decoder gives too.
#include <cstddef>
#include <cstdint>
#include <span>

#include "FuzzPictures.h"
#include "Mag.h"
#include "MagRows.h"
#include "Stream.h"

using namespace imvexa;
using fuzz::SamePicture;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Whatever the image makes of the file, the row decoder reads it safely.
    TBitmap rows;
    const bool decoded = fuzz::DecodeRows([&](TRowSink& sink) { DecodeMAG(std::span(data, size), sink); }, rows);

    TMAGImage image;
    try {
        TBorrowedMemoryStream stream(data, size);
        image.LoadFromStream(stream);
    } catch (const Exception&) {
        return 0;
    }
    TBitmap copy;
    copy.Assign(&image);
    if (!decoded || !SamePicture(copy, rows)) __builtin_trap();

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
