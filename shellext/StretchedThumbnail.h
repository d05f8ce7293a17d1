#pragma once
// Speed mode: the platform's stretch of a whole picture into the thumbnail,
// which first takes the picture's format (ThumbnailPixelFormat).
#include <windows.h>

#include <cstdint>
#include <vector>

#include "Bitmap.h"
#include "PictureRows.h"
#include "RecycledBytes.h"

namespace imvexa {

// Makes thumbnail the edge × edge thumbnail with the whole source stretched into target.
void DrawStretched(TBitmap& thumbnail, int edge, TBitmap& source, const Rect& target);

// A decoder's rows kept as a plain-memory DIB, then stretched from there:
// the thumbnail stays the only DIB section.
class TStretchedRows : public TRowSink {
public:
    // Raises EOutOfResources "TBitmap: Cannot Create Bitmap" beyond the pixel limits, as a bitmap would.
    void Begin(const PictureHeader& header) override;
    void Row(const std::uint8_t* pixels) override;

    void DrawStretched(TBitmap& thumbnail, int edge, const Rect& target) const;

private:
    struct Info {
        BITMAPINFOHEADER header;
        RGBQUAD colors[256];
    };

    PictureHeader picture_;
    Info info_{};
    std::size_t rowBytes_ = 0, stride_ = 0;
    TRecycledBytes bits_;
};

}  // namespace imvexa
