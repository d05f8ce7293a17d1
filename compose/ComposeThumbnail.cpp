#include "ComposeThumbnail.h"

#include <cstring>

#include "PackedPixels.h"
#include "Reduce.h"
#include "ThumbnailFormat.h"
#include "ThumbnailLayout.h"

namespace imvexa {

namespace {

// Copies the picture's pixels to (left, top) of a thumbnail of the same format and table.
void CopyPixels(const TBitmap& source, TBitmap& thumbnail, int left, int top) {
    const int bits = source.BitsPerPixel();
    for (int y = 0; y < source.Height(); ++y) {
        const std::uint8_t* from = source.ScanLine(y);
        std::uint8_t* to = thumbnail.ScanLine(top + y);
        if (bits >= 8) {
            std::memcpy(to + static_cast<std::size_t>(left) * (bits / 8), from,
                        static_cast<std::size_t>(source.Width()) * (bits / 8));
            continue;
        }
        for (int x = 0; x < source.Width(); ++x) SetPackedIndex(to, left + x, bits, GetPackedIndex(from, x, bits));
    }
}

// Writes a 24-bit image's pixels into the 24-bit thumbnail at (left, top).
void CopyReduced(const TZdDIB& reduced, TBitmap& thumbnail, int left, int top) {
    for (int y = 0; y < reduced.Height(); ++y) {
        std::uint8_t* row = thumbnail.ScanLine(top + y) + 3 * static_cast<std::size_t>(left);
        for (int x = 0; x < reduced.Width(); ++x) {
            const std::uint32_t color = reduced.Pixels(x, y);  // 0x00BBGGRR
            row[3 * x] = static_cast<std::uint8_t>(color >> 16);
            row[3 * x + 1] = static_cast<std::uint8_t>(color >> 8);
            row[3 * x + 2] = static_cast<std::uint8_t>(color);
        }
    }
}

}  // namespace

void ComposeThumbnail(TBitmap& source, int edge, TBitmap& thumbnail) {
    thumbnail.SetPixelFormat(TPixelFormat::Bit24);
    thumbnail.SetSize(edge, edge);  // white
    const ThumbnailLayout layout = LayOutThumbnail(source.Width(), source.Height(), edge);
    const Rect& target = layout.target;
    if (!layout.scaled) {
        TakePictureFormat(thumbnail, source);
        // The picture's colours in the thumbnail's format and table, as the
        // platform's blit maps them (rows are copied as they are when the
        // two already match).
        TBitmap picture;
        picture.Assign(&source);
        picture.SetPixelFormat(thumbnail.PixelFormat(), thumbnail.ColorTable());
        CopyPixels(picture, thumbnail, target.left, target.top);
        return;
    }
    TZdDIB picture, reduced;
    picture.Assign(&source);
    ReduceImage(picture, reduced, target.right - target.left, target.bottom - target.top);
    CopyReduced(reduced, thumbnail, target.left, target.top);
}

}  // namespace imvexa
