#include "ComposeThumbnail.h"

#include "BitmapRows.h"
#include "ThumbnailComposer.h"

namespace imvexa {

void ComposeThumbnail(TBitmap& source, int edge, TBitmap& thumbnail) {
    TThumbnailComposer composer(thumbnail, edge);
    SendBitmapRows(source, composer);
}

}  // namespace imvexa
