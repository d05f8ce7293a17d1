#pragma once
// Whether two platform bitmaps hold the same picture: format, size, pixels
// (the bytes of each row that hold pixels) and colour table.
#include <gtest/gtest.h>

#include <algorithm>

#include "Bitmap.h"

namespace imvexa::test {

inline void ExpectSamePicture(const TBitmap& a, const TBitmap& b) {
    ASSERT_EQ(a.PixelFormat(), b.PixelFormat());
    ASSERT_EQ(a.Width(), b.Width());
    ASSERT_EQ(a.Height(), b.Height());
    const auto rowBytes = static_cast<std::size_t>((std::int64_t{a.Width()} * a.BitsPerPixel() + 7) / 8);
    for (int y = 0; y < a.Height(); ++y)
        ASSERT_TRUE(std::equal(a.ScanLine(y), a.ScanLine(y) + rowBytes, b.ScanLine(y))) << "row " << y;
    ASSERT_EQ(a.ColorTable().size(), b.ColorTable().size());
    for (std::size_t i = 0; i < a.ColorTable().size(); ++i) {
        EXPECT_EQ(a.ColorTable()[i].red, b.ColorTable()[i].red);
        EXPECT_EQ(a.ColorTable()[i].green, b.ColorTable()[i].green);
        EXPECT_EQ(a.ColorTable()[i].blue, b.ColorTable()[i].blue);
    }
}

}  // namespace imvexa::test
