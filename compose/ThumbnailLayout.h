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

// The size a picture of width × height takes when it is scaled into an
// edge × edge square: the longer side edge (the height for a square
// picture), the other in proportion, rounded halves to even; that side is 0
// when it rounds below a half.
struct ScaledSize {
    int width = 0, height = 0;
};
ScaledSize ScaleIntoSquare(int width, int height, int edge);

}  // namespace imvexa
