#pragma once
// The base graphic class of the DIB library. The Windows build adds the
// clipboard transfer here.
#include <cstdint>

#include "Graphic.h"

namespace imvexa {

class TZdGraphic : public TGraphic {
public:
    // The clipboard format the graphic exchanges.
    virtual std::uint16_t ClipboardFormat() const = 0;
};

}  // namespace imvexa
