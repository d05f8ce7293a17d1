#pragma once
// CMYK samples as libjpeg delivers them (also for YCCK files) to blue-green-
// red pixels. Files with an Adobe marker hold inverted samples (255 = no ink),
// the convention of the programs that write CMYK JPEG files; files without
// one hold ink amounts. bgr may be cmyk itself: the row is converted in place.
#include <cstdint>

namespace imvexa {

void CmykToBgr(const std::uint8_t* cmyk, std::uint8_t* bgr, int width, bool inverted);

}  // namespace imvexa
