// The row filters, the truecolour conversion and the Adam7 helpers against
// the plain definitions, for every pixel distance and row length (the SSE2
// paths included).
#include "../common/PngBuilder.h"
#include "QXPNGLConvert.h"
#include "QXPNGLRows.h"

#include <gtest/gtest.h>

namespace imvexa::test::png {
namespace {

using imvexa::png::UnfilterRow;

// The filters' definition, byte by byte.
Bytes Reference(int type, Bytes x, const Bytes& p, int d) {
    for (std::size_t i = 0; i < x.size(); ++i) {
        const int a = i >= static_cast<std::size_t>(d) ? x[i - d] : 0;
        const int b = p[i];
        const int c = i >= static_cast<std::size_t>(d) ? p[i - d] : 0;
        int add = 0;
        switch (type) {
            case 1: add = a; break;
            case 2: add = b; break;
            case 3: add = (a + b) / 2; break;
            case 4: add = Paeth(a, b, c); break;
            default: break;
        }
        x[i] = static_cast<std::uint8_t>(x[i] + add);
    }
    return x;
}

TEST(PngRows, FiltersMatchTheDefinition) {
    std::uint32_t state = 1;
    auto next = [&] { return static_cast<std::uint8_t>((state = state * 1103515245u + 12345u) >> 23); };
    for (int d : {1, 2, 3, 4, 6, 8}) {
        // Lengths around the 12- and 16-byte blocks of the SSE2 filters.
        for (std::size_t length :
             {0u, 1u, 2u, 3u, 5u, 8u, 12u, 13u, 15u, 16u, 17u, 27u, 28u, 29u, 31u, 32u, 33u, 48u, 99u, 1000u}) {
            for (int type = 0; type <= 4; ++type) {
                for (int trial = 0; trial < 4; ++trial) {
                    Bytes x(length), p(length);
                    for (auto& v : x) v = trial == 3 ? 255 : next();
                    for (auto& v : p) v = trial == 2 ? 0 : (trial == 3 ? 254 : next());
                    Bytes row{static_cast<std::uint8_t>(type)}, prior{0};
                    row.insert(row.end(), x.begin(), x.end());
                    prior.insert(prior.end(), p.begin(), p.end());
                    // Bytes after the row must stay untouched.
                    row.insert(row.end(), 16, 0xEE);
                    ASSERT_TRUE(UnfilterRow(row.data(), prior.data(), length, d));
                    ASSERT_EQ(Bytes(row.begin() + 1, row.begin() + 1 + static_cast<std::ptrdiff_t>(length)),
                              Reference(type, x, p, d))
                        << "type " << type << " distance " << d << " length " << length;
                    ASSERT_EQ(Bytes(row.end() - 16, row.end()), Bytes(16, 0xEE));
                }
            }
        }
    }
}

// Red and blue exchanged for pixel counts around the 5-pixel steps; reads
// may use the 12 bytes after the input row, writes stay within the output row.
TEST(PngRows, TruecolourBecomesBlueGreenRed) {
    const auto convert = imvexa::png::ChooseRowFormat(2, false, 8).convert;
    for (std::size_t count : {1u, 2u, 5u, 6u, 7u, 10u, 11u, 12u, 16u, 17u, 1000u}) {
        Bytes in(3 * count + 12), out(3 * count + 12, 0xEE);
        for (std::size_t i = 0; i < in.size(); ++i) in[i] = static_cast<std::uint8_t>(i * 7 + 1);
        convert(in.data(), out.data(), static_cast<std::int64_t>(count));
        Bytes expected(out.size(), 0xEE);
        for (std::size_t i = 0; i < 3 * count; i += 3) {
            expected[i] = in[i + 2];
            expected[i + 1] = in[i + 1];
            expected[i + 2] = in[i];
        }
        ASSERT_EQ(out, expected) << count << " pixels";
    }
}

TEST(PngRows, UnknownFilterTypes) {
    Bytes row{5, 1, 2}, prior{0, 0, 0};
    EXPECT_FALSE(UnfilterRow(row.data(), prior.data(), 2, 1));
    EXPECT_EQ(row, (Bytes{5, 1, 2}));
}

TEST(PngRows, PassWidthsAndRows) {
    using imvexa::png::PassWidth;
    using imvexa::png::RowInPass;
    EXPECT_EQ(PassWidth(0, 1), 1);
    EXPECT_EQ(PassWidth(1, 4), 0);
    EXPECT_EQ(PassWidth(1, 5), 1);
    EXPECT_EQ(PassWidth(3, 3), 1);
    EXPECT_EQ(PassWidth(5, 2), 1);
    EXPECT_EQ(PassWidth(6, 9), 9);
    EXPECT_EQ(PassWidth(0, 17), 3);
    EXPECT_TRUE(RowInPass(0, 8, 1, 9));
    EXPECT_FALSE(RowInPass(1, 0, 4, 9));
    EXPECT_TRUE(RowInPass(2, 4, 1, 5));
    EXPECT_FALSE(RowInPass(4, 2, 1, 2));
    EXPECT_TRUE(RowInPass(6, 1, 1, 2));
    EXPECT_FALSE(RowInPass(6, 2, 1, 3));
}

TEST(PngRows, PlacementKeepsOtherPixels) {
    using imvexa::png::PlacementFor;
    Bytes target{0xFF, 0xFF};
    const Bytes pixels{0x40};  // 0, 1, 0 at one bit
    PlacementFor(1)(target.data(), pixels.data(), 3, 1, 4);  // columns 1, 5, 9
    EXPECT_EQ(target, (Bytes{0xBF, 0xBF}));
    Bytes nibbles{0x11, 0x11, 0x11};
    PlacementFor(4)(nibbles.data(), Bytes{0xAB}.data(), 2, 1, 3);  // columns 1 and 4
    EXPECT_EQ(nibbles, (Bytes{0x1A, 0x11, 0xB1}));
    Bytes rgb(12, 0);
    PlacementFor(24)(rgb.data(), Bytes{1, 2, 3, 4, 5, 6}.data(), 2, 1, 2);
    EXPECT_EQ(rgb, (Bytes{0, 0, 0, 1, 2, 3, 0, 0, 0, 4, 5, 6}));
}

}  // namespace
}  // namespace imvexa::test::png
