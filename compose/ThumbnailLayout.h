#pragma once
// Where a picture of w × h lands on a square thumbnail of edge E.
#include "Graphic.h"

namespace imvexa {

struct ThumbnailLayout {
    // A picture that fits is drawn unscaled with its top-left corner at
    // (left, top) of target; a larger one is scaled into target.
    bool scaled = false;
    Rect target;
};

ThumbnailLayout LayOutThumbnail(int width, int height, int edge);

}  // namespace imvexa
