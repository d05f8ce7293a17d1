#pragma once
// The thumbnail composed while the picture is decoded: the one composition of
// the extractor (quality mode and unscaled pictures) and the native front end.
#include <cstdint>
#include <optional>
#include <vector>

#include "Bitmap.h"
#include "BoxReduction.h"
#include "PictureRows.h"
#include "RowConversion.h"
#include "ThumbnailLayout.h"

namespace imvexa {

// Makes thumbnail the edge × edge thumbnail of the picture whose rows it is
// given. At Begin the thumbnail is created once, white, at its final format:
// a picture that fits lands centred and unscaled in its own format and colour
// table with white added (ThumbnailPixelFormat), each row written in place as
// it arrives; a larger one is box-averaged into its rectangle at 24 bits,
// each row widened and fed to the reduction, which writes the reduced rows.
// The pixels are those of reducing the whole picture with ReduceImage.
class TThumbnailComposer : public TRowSink {
public:
    TThumbnailComposer(TBitmap& thumbnail, int edge) : thumbnail_(thumbnail), edge_(edge) {}

    // Raises the reduction's exceptions (a target size of zero among them).
    void Begin(const PictureHeader& header) override;
    void Row(const std::uint8_t* pixels) override;

private:
    TBitmap& thumbnail_;
    int edge_;
    std::int32_t width_ = 0, height_ = 0;
    TRowOrder order_ = TRowOrder::TopDown;
    ThumbnailLayout layout_;
    std::optional<TRowConversion> conversion_;
    std::optional<TBoxReduction> reduction_;
    std::vector<std::uint8_t> widened_;  // a source row at 24 bits, for the reduction
    std::int32_t rowsTaken_ = 0;
};

}  // namespace imvexa
