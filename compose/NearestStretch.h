#pragma once
// A picture stretched into a rectangle of the thumbnail by picking, for each
// thumbnail pixel, the source pixel under its centre: the native stand-in for
// the platform's stretch of speed mode. Rows are drawn as they arrive and
// only the rows that are picked are converted.
#include <cstdint>
#include <optional>
#include <vector>

#include "Bitmap.h"
#include "PictureRows.h"
#include "RowConversion.h"

namespace imvexa {

class TNearestStretch : public TRowSink {
public:
    // At Begin, thumbnail becomes a white edge × edge bitmap of 24 bits with
    // the picture to come stretched into target.
    TNearestStretch(TBitmap& thumbnail, int edge, const Rect& target)
        : thumbnail_(thumbnail), edge_(edge), target_(target) {}

    void Begin(const PictureHeader& header) override;
    void Row(const std::uint8_t* pixels) override;

private:
    TBitmap& thumbnail_;
    int edge_;
    Rect target_;
    std::int32_t height_ = 0;
    TRowOrder order_ = TRowOrder::TopDown;
    std::optional<TRowConversion> conversion_;
    std::vector<std::int32_t> columns_;     // the source column of each target column
    std::vector<std::int32_t> sourceRows_;  // the source row of each target row, ascending
    std::vector<std::uint8_t> widened_;     // a picked source row at 24 bits
    std::int32_t rowsTaken_ = 0;
};

}  // namespace imvexa
