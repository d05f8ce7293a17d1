// Hostile BMP files: loading must fail cleanly or give an image whose every
// operation stays inside its pixel block.
#include <cstddef>
#include <cstdint>

#include "RuntimeErrors.h"
#include "Stream.h"
#include "ZdDIB.h"

using namespace imvexa;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
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
        for (int y = 0; y < image.Height(); y += 7)
            for (int x = 0; x < image.Width(); x += 7) image.Pixels(x, y);
        image.Pixels(image.Width(), image.Height());

        TMemoryStream saved;
        image.SaveToStream(saved);
        saved.Seek(0, SeekOrigin::Begin);
        TZdDIB reloaded;
        reloaded.LoadFromStream(saved);
    } catch (const Exception&) {
    }
    return 0;
}
