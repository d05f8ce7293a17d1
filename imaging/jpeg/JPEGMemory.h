#pragma once
// libjpeg's memory (JPEGMemory.cpp defines the functions the library asks
// for its memory through).
#include "JPEGLibrary.h"

namespace imvexa {

// Bounds the library's own whole-picture buffers (the coefficients of a
// progressive file, two-pass quantization) by the pixel limit.
void LimitJPEGMemory(jpeg_decompress_struct& context);

}  // namespace imvexa
