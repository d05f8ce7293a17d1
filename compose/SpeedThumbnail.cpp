#include "SpeedThumbnail.h"

#include "BuiltInDecoders.h"
#include "NearestStretch.h"
#include "ReducedJPEG.h"

namespace imvexa {

bool StretchReducedJPEGThumbnail(std::span<const std::uint8_t> bytes, const std::string& key, int edge,
                                 TBitmap& thumbnail) {
    if (!IsJPEGKey(key)) return false;
    const ReducedJPEG plan = PlanReducedJPEG(bytes, edge);
    if (!plan.layout.scaled) return false;
    TNearestStretch stretch(thumbnail, edge, plan.layout.target);
    DecodeReducedJPEG(bytes, plan, stretch);
    return true;
}

}  // namespace imvexa
