// Hostile PNG files: loading must fail cleanly with one of the library's
// exceptions, or give a picture whose every row can be read after it has
// been copied into a TBitmap.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "Bitmap.h"
#include "QXPNGL.h"
#include "RuntimeErrors.h"
#include "Stream.h"

using namespace imvexa;

namespace {

// Pictures the reader accepts can take up to the 1 GiB pixel limit, which is
// legal but far too slow for fuzzing: skip inputs whose IHDR asks for more
// than 4 million pixels (the reader's own size checks are unit-tested).
bool TooLarge(const std::uint8_t* data, std::size_t size) {
    for (std::size_t i = 0; i + 12 <= size; ++i) {
        if (std::memcmp(data + i, "IHDR", 4) != 0) continue;
        auto word = [&](std::size_t at) {
            return std::uint64_t{data[at]} << 24 | std::uint64_t{data[at + 1]} << 16 |
                   std::uint64_t{data[at + 2]} << 8 | data[at + 3];
        };
        if (word(i + 4) * word(i + 8) > (std::uint64_t{1} << 22)) return true;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (TooLarge(data, size)) return 0;
    QXPNGLE png;
    try {
        TBorrowedMemoryStream stream(data, size);
        png.LoadFromStream(stream);
    } catch (const Exception&) {
        return 0;
    }
    if (png.Empty()) return 0;
    TBitmap bitmap;
    png.AssignTo(bitmap);
    if (bitmap.Width() != png.Width() || bitmap.Height() != png.Height()) __builtin_trap();

    // Saving and reading back gives the same rows.
    TMemoryStream saved;
    png.SaveToStream(saved);
    saved.Seek(0, SeekOrigin::Begin);
    QXPNGLE reloaded;
    reloaded.LoadFromStream(saved);
    TBitmap copy;
    reloaded.AssignTo(copy);
    if (copy.Width() != bitmap.Width() || copy.Height() != bitmap.Height() ||
        copy.PixelFormat() != bitmap.PixelFormat())
        __builtin_trap();
    const auto rowBytes = static_cast<std::size_t>(bitmap.Stride());
    for (int y = 0; y < bitmap.Height(); ++y)
        if (std::memcmp(bitmap.ScanLine(y), copy.ScanLine(y), rowBytes) != 0) __builtin_trap();
    return 0;
}
