#pragma once
// Helpers shared by the imaging tests.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../common/BmpBuilder.h"
#include "../common/ExpectError.h"
#include "Stream.h"
#include "ZdDIB.h"

namespace imvexa::test {

inline void Load(TZdDIB& image, const Bytes& file) {
    TMemoryStream stream(file);
    image.LoadFromStream(stream);
}

// The bytes of memory row r of an image's pixel block.
inline Bytes MemoryRow(const TZdDIB& image, int r, std::size_t count) {
    const TZdDIBInfo& info = image.InternalDIB().Info;
    const std::uint8_t* row = info.Bits + r * DIBStride(info.Header);
    return Bytes(row, row + count);
}

}  // namespace imvexa::test
