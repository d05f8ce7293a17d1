#pragma once
// Helpers shared by the MAG tests.
#include <gtest/gtest.h>

#include "../core/TestSupport.h"
#include "Mag.h"
#include "MagBuilder.h"
#include "PackedPixels.h"
#include "Stream.h"

namespace imvexa::test {

inline void Load(TMAGImage& image, const Bytes& file) {
    TMemoryStream stream(file);
    image.LoadFromStream(stream);
}

inline Bytes Save(TMAGImage& image) {
    TMemoryStream stream;
    image.SaveToStream(stream);
    return stream.Bytes();
}

// The first count bytes of row y of the image's decoded picture.
inline Bytes Row(TMAGImage& image, int y, std::size_t count) {
    const std::uint8_t* row = image.InternalBitmap().ScanLine(y);
    return Bytes(row, row + count);
}

}  // namespace imvexa::test
