// DecodeMAG: the rows of a MAG file are the picture TMAGImage holds, also
// where copies reach the farthest rows back in pictures taller than the rows
// a decoder keeps.
#include "MagTestSupport.h"

namespace imvexa::test {
namespace {

TEST(MagRows, RowsAreThePictureOfTheFile) {
    const struct {
        const char* name;
        TPixelFormat format;
        int width, height;
        std::uint32_t values;  // few values: many copies, from every position
    } cases[] = {
        {"16 colours, two values", TPixelFormat::Bit4, 48, 70, 2},
        {"16 colours, noise", TPixelFormat::Bit4, 24, 18, 16},
        {"256 colours, three values", TPixelFormat::Bit8, 20, 45, 3},
        {"256 colours, one row", TPixelFormat::Bit8, 8, 1, 256},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto picture = Picture(c.format, c.width, c.height, c.values);
        TMAGImage written;
        written.Assign(picture.get());
        const Bytes file = Save(written);

        TBitmap rows;
        DecodeInto(rows, file);
        ExpectSamePicture(*picture, rows);
        TMAGImage loaded;
        Load(loaded, file);
        ExpectSamePicture(loaded.InternalBitmap(), rows);
    }
}

}  // namespace
}  // namespace imvexa::test
