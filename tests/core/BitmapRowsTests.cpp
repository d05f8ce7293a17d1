// A bitmap sent as rows and built again from them is the same bitmap, in
// every palette depth and 24 bits, with rows arriving in either order.
#include <gtest/gtest.h>

#include <cstring>

#include "RowStreams.h"

namespace imvexa::test {
namespace {

TEST(BitmapRows, RoundTripKeepsFormatTableAndPixels) {
    std::mt19937 random(7);
    struct Case { TPixelFormat format; std::size_t colors; };
    for (const Case c : {Case{TPixelFormat::Bit1, 2}, {TPixelFormat::Bit4, 5}, {TPixelFormat::Bit8, 256},
                         {TPixelFormat::Bit24, 0}}) {
        for (const TRowOrder order : {TRowOrder::TopDown, TRowOrder::BottomUp}) {
            TBitmap original, copy;
            RandomBitmap(original, random, 13, 7, c.format, c.colors);
            RecordedRows sent;
            SendBitmapRows(original, sent);
            ASSERT_EQ(sent.rows.size(), 7u);
            EXPECT_EQ(sent.header.order, TRowOrder::TopDown);
            TBitmapRows rebuilt(copy);
            SendRowsInOrder(original, order, rebuilt);
            ASSERT_EQ(copy.PixelFormat(), c.format);
            EXPECT_EQ(copy.ColorTable().size(), original.ColorTable().size());
            const auto bytes = static_cast<std::size_t>((13 * copy.BitsPerPixel() + 7) / 8);
            for (int y = 0; y < 7; ++y) {
                EXPECT_EQ(std::memcmp(copy.ScanLine(y), original.ScanLine(y), bytes), 0) << y;
                EXPECT_EQ(std::memcmp(sent.rows[y].data(), original.ScanLine(y), bytes), 0) << y;
            }
        }
    }
}

}  // namespace
}  // namespace imvexa::test
