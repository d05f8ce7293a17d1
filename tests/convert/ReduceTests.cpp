// The quality reduction against a plain reference that reads every box pixel
// through Pixels, on random pictures and sizes, plus the cases worked out by
// hand; and the streaming reduction's delivery of rows.
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "BoxReduction.h"
#include "ConvertTestSupport.h"
#include "Reduce.h"

namespace imvexa::test {
namespace {

// Trunc(v) + 1 when v has a fractional part above 0, else Trunc(v).
double ReferenceCeil(double v) { return v - std::trunc(v) > 0 ? std::trunc(v) + 1 : std::trunc(v); }

// AverageBox as defined: Ceil on the far edges, one clamped read per box
// pixel, each channel's floating-point mean rounded half to even. (The sums
// are 64-bit: 32-bit ones would wrap for boxes of more than 16 million pixels.)
std::uint32_t ReferenceAverageBox(const TZdDIB& source, double x0, double y0, double x1, double y1) {
    x1 = ReferenceCeil(x1);
    y1 = ReferenceCeil(y1);
    std::uint64_t red = 0, green = 0, blue = 0, count = 0;
    for (auto y = static_cast<std::int64_t>(std::trunc(y0)); y <= static_cast<std::int64_t>(y1) - 1; ++y) {
        for (auto x = static_cast<std::int64_t>(std::trunc(x0)); x <= static_cast<std::int64_t>(x1) - 1; ++x) {
            const std::uint32_t color = source.Pixels(static_cast<int>(x), static_cast<int>(y));
            red += color & 0xFF;
            green += color >> 8 & 0xFF;
            blue += color >> 16;
            ++count;
        }
    }
    const auto round = [&](std::uint64_t sum) {
        return static_cast<std::uint32_t>(std::nearbyint(static_cast<double>(sum) / static_cast<double>(count)));
    };
    return round(red) | round(green) << 8 | round(blue) << 16;
}

// A negative height asks for top-down rows; the rows are counted from the top.
void ReferenceReduce(TZdDIB& source, TZdDIB& target, int width, int height) {
    source.SetPixelFormat(zdPf24Bit);
    target.SetPixelFormat(zdPf24Bit);
    target.SetWidth(width);
    target.SetHeight(height);
    const double sx = static_cast<double>(source.Width()) / width;
    const double sy = static_cast<double>(source.Height()) / target.Height();
    for (int y = 0; y < target.Height(); ++y)
        for (int x = 0; x < width; ++x)
            target.SetPixels(x, y, static_cast<std::int32_t>(ReferenceAverageBox(source, x * sx, y * sy, (x + 1) * sx, (y + 1) * sy)));
}

void ExpectSamePixels(const TZdDIB& actual, const TZdDIB& expected, const std::string& what) {
    ASSERT_EQ(actual.Width(), expected.Width()) << what;
    ASSERT_EQ(actual.Height(), expected.Height()) << what;
    for (int y = 0; y < actual.Height(); ++y)
        for (int x = 0; x < actual.Width(); ++x)
            ASSERT_EQ(actual.Pixels(x, y), expected.Pixels(x, y)) << what << " at " << x << "," << y;
}

// A target size for a source edge: often 1 or the edge itself, sometimes
// larger, else random.
int PickEdge(std::mt19937& random, int sourceEdge) {
    switch (random() % 6) {
        case 0: return 1;
        case 1: return sourceEdge;
        case 2: return sourceEdge + 1 + static_cast<int>(random() % 7);
        case 3: return sourceEdge * (2 + static_cast<int>(random() % 3));
        default: return 1 + static_cast<int>(random() % static_cast<unsigned>(sourceEdge));
    }
}

TEST(ReduceImage, MatchesTheReferenceOnRandomPicturesAndSizes) {
    std::mt19937 random(20240611);
    for (int round = 0; round < 400; ++round) {
        const int width = 1 + static_cast<int>(random() % (round < 350 ? 40 : 300));
        const int height = 1 + static_cast<int>(random() % (round < 350 ? 40 : 300));
        const int sign = random() % 2 ? 1 : -1;
        const int bits = std::vector{1, 4, 8, 24, 24, 24}[random() % 6];
        TZdDIB source, fast, reference;
        Paint(source, width, sign * height, bits, [&](int, int) {
            return static_cast<std::uint32_t>(random() % (bits == 24 ? 0x1000000 : 1u << bits));
        });
        if (bits != 24) {
            std::vector<std::uint32_t> colors;
            for (int i = 0; i < 1 << bits; ++i) colors.push_back(random() % 0x1000000);
            SetColors(source, colors);
        }
        const int targetWidth = PickEdge(random, width);
        const int targetHeight = PickEdge(random, height) * (random() % 4 == 0 ? -1 : 1);
        TZdDIB sourceCopy;
        sourceCopy.Assign(&source);
        ReduceImage(source, fast, targetWidth, targetHeight);
        ReferenceReduce(sourceCopy, reference, targetWidth, targetHeight);
        ExpectSamePixels(fast, reference,
                         std::to_string(width) + "x" + std::to_string(sign * height) + "@" + std::to_string(bits) +
                             " -> " + std::to_string(targetWidth) + "x" + std::to_string(targetHeight));
        EXPECT_EQ(fast.PixelFormat(), zdPf24Bit);
        EXPECT_EQ(source.PixelFormat(), zdPf24Bit);  // converted in place
        EXPECT_EQ(fast.InternalDIB().Info.Header.biHeight, targetHeight);
    }
}

TEST(ReduceImage, MatchesTheReferenceForTallBoxesAndEnlargements) {
    const std::pair<std::pair<int, int>, std::pair<int, int>> cases[] = {
        {{5, 1000}, {2, 1}},  // boxes of 1000 rows
        {{700, 3}, {1, 3}},  {{49, 49}, {3, 3}}, {{3, 2}, {7, 5}}, {{1, 1}, {4, 3}}};
    for (const auto& [from, to] : cases) {
        TZdDIB source, fast, reference;
        Paint(source, from.first, from.second, 24,
              [](int x, int y) { return static_cast<std::uint32_t>((x * 2654435761u) ^ (y * 40503u)) & 0xFFFFFF; });
        TZdDIB sourceCopy;
        sourceCopy.Assign(&source);
        ReduceImage(source, fast, to.first, to.second);
        ReferenceReduce(sourceCopy, reference, to.first, to.second);
        ExpectSamePixels(fast, reference, std::to_string(from.first) + "x" + std::to_string(from.second));
    }
}

struct HandCase {
    const char* what;
    std::vector<std::vector<std::uint32_t>> source;  // rows of 0xRRGGBB, top first
    int width, height;
    std::vector<std::vector<std::uint32_t>> expected;
};

TEST(ReduceImage, CasesWorkedOutByHand) {
    const HandCase cases[] = {
        // sx = 1.5: pixel 0 covers columns 0 and 1, pixel 1 columns 1 and 2.
        {"shared column", {{0x000000, 0x640000, 0xC90000}}, 2, 1, {{0x320000, 0x960000}}},
        {"disjoint blocks",
         {{0x000010, 0x000030, 0x100000, 0x100000}, {0x000010, 0x000030, 0x100000, 0x100000},
          {0x001000, 0x001000, 0x000000, 0x000000}, {0x003000, 0x003000, 0x000000, 0x000004}},
         2, 2, {{0x000020, 0x100000}, {0x002000, 0x000001}}},
        {"equal size", {{0x010203, 0x040506}, {0x070809, 0x0A0B0C}}, 2, 2, {{0x010203, 0x040506}, {0x070809, 0x0A0B0C}}},
        {"1.5 rounds to 2", {{0x010000, 0x020000}}, 1, 1, {{0x020000}}},
        {"2.5 rounds to 2", {{0x020000, 0x030000}}, 1, 1, {{0x020000}}},
    };
    for (const HandCase& c : cases) {
        TZdDIB source, target;
        Paint(source, static_cast<int>(c.source[0].size()), static_cast<int>(c.source.size()), 24,
              [&](int x, int y) { return c.source[y][x]; });
        ReduceImage(source, target, c.width, c.height);
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x) EXPECT_EQ(ColorAt(target, x, y), c.expected[y][x]) << c.what;
    }
}

TEST(ReduceImage, APaletteSourceGivesWhatItsColoursGive) {
    TZdDIB palette, trueColor, fromPalette, fromTrueColor;
    Paint(palette, 9, 7, 8, [](int x, int y) { return static_cast<std::uint32_t>(x * 7 + y * 3); });
    std::vector<std::uint32_t> colors;
    for (std::uint32_t i = 0; i < 256; ++i) colors.push_back(i * 0x2F1B05 % 0x1000000);
    SetColors(palette, colors);
    Paint(trueColor, 9, 7, 24, [&](int x, int y) { return colors[static_cast<std::size_t>(x * 7 + y * 3)]; });
    ReduceImage(palette, fromPalette, 4, 3);
    ReduceImage(trueColor, fromTrueColor, 4, 3);
    ExpectSamePixels(fromPalette, fromTrueColor, "8-bit source");
}

TEST(ReduceImage, ZeroSizesFailLikeTheImageSizes) {
    TZdDIB source, target;
    source.SetWidth(4);
    ExpectError<EZdDIBInvalidDIBPara>([&] { ReduceImage(source, target, 0, 1); }, "TZdDIB.SetWidth: Invalid Width");
    ExpectError<EZdDIBInvalidDIBPara>([&] { ReduceImage(source, target, -3, 1); }, "TZdDIB.SetWidth: Invalid Width");
    ExpectError<EZdDIBInvalidDIBPara>([&] { ReduceImage(source, target, 2, 0); }, "TZdDIB.SetWidth: Invalid Height");
}

TEST(ReduceImage, AnImageCanBeReducedIntoItselfAndIntoASharer) {
    const auto paint = [](TZdDIB& image) { Paint(image, 6, 4, 24, [](int x, int y) { return static_cast<std::uint32_t>(x * 40 + y * 0x2000); }); };
    TZdDIB expected, source, image, sharer;
    paint(source);
    ReduceImage(source, expected, 3, 2);

    paint(image);
    ReduceImage(image, image, 3, 2);
    ExpectSamePixels(image, expected, "into itself");

    paint(image);
    sharer.Assign(&image);
    ReduceImage(image, sharer, 6, 4);  // same size: the sharer must not write into the source
    paint(expected);
    ExpectSamePixels(image, expected, "source kept");
    ExpectSamePixels(sharer, expected, "copy");
}

TEST(ReduceImage, BoxesOfMoreThanSixteenMillionWhitePixelsStayWhite) {
    TZdDIB source, target;
    source.SetBitCount(24);
    source.SetWidth(4200);
    source.SetHeight(4200);
    const TZdDIBInfo& info = source.InternalDIB().Info;
    std::memset(info.Bits, 0xFF, static_cast<std::size_t>(info.BitsSize));
    ReduceImage(source, target, 1, 1);
    EXPECT_EQ(target.Pixels(0, 0), 0xFFFFFFu);
}

// The source rows a target row's box reads, first and last, from the top.
std::pair<std::int64_t, std::int64_t> BoxRows(int y, int sourceHeight, int height) {
    const double sy = static_cast<double>(sourceHeight) / height;
    const auto end = static_cast<std::int64_t>(ReferenceCeil((y + 1) * sy)) - 1;
    return {std::min<std::int64_t>(static_cast<std::int64_t>(std::trunc(y * sy)), sourceHeight - 1),
            std::min<std::int64_t>(end, sourceHeight - 1)};
}

struct Delivery {
    std::int32_t row;
    int rowsAdded;  // source rows given before the one being added
    std::vector<std::uint8_t> pixels;
};

// Fed the rows of a picture in either order, the stream delivers every target
// row once, in the same order, with the reference's pixels, while the source
// row that completes its box is being added.
TEST(BoxReduction, DeliversEachRowInOrderAsSoonAsItsBoxIsComplete) {
    std::mt19937 random(7100);
    for (int round = 0; round < 200; ++round) {
        const int width = 1 + static_cast<int>(random() % 30), height = 1 + static_cast<int>(random() % 30);
        const int targetWidth = PickEdge(random, width), targetHeight = PickEdge(random, height);
        const bool bottomUp = random() % 2;
        TZdDIB source, reference;
        Paint(source, width, height, 24, [&](int, int) { return static_cast<std::uint32_t>(random() % 0x1000000); });
        ReferenceReduce(source, reference, targetWidth, targetHeight);
        const std::string what = std::to_string(width) + "x" + std::to_string(height) + " -> " +
                                 std::to_string(targetWidth) + "x" + std::to_string(targetHeight) +
                                 (bottomUp ? " bottom-up" : " top-down");

        const auto rowBytes = 3 * static_cast<std::size_t>(targetWidth);
        std::vector<Delivery> deliveries;
        int rowsAdded = 0;
        TBoxReduction reduction(width, height, targetWidth, targetHeight,
                                bottomUp ? TRowOrder::BottomUp : TRowOrder::TopDown,
                                [&](std::int32_t row, const std::uint8_t* pixels) {
                                    deliveries.push_back({row, rowsAdded, {pixels, pixels + rowBytes}});
                                });
        for (; rowsAdded < height; ++rowsAdded)
            reduction.AddRow(DIBRow(source.InternalDIB().Info, bottomUp ? height - 1 - rowsAdded : rowsAdded));
        EXPECT_TRUE(reduction.Finished());
        std::uint8_t extra[3 * 30] = {};
        EXPECT_THROW(reduction.AddRow(extra), ERangeError) << what;

        ASSERT_EQ(deliveries.size(), static_cast<std::size_t>(targetHeight)) << what;
        for (int i = 0; i < targetHeight; ++i) {
            const Delivery& delivery = deliveries[static_cast<std::size_t>(i)];
            ASSERT_EQ(delivery.row, bottomUp ? targetHeight - 1 - i : i) << what;
            const auto [first, last] = BoxRows(delivery.row, height, targetHeight);
            EXPECT_EQ(delivery.rowsAdded, bottomUp ? height - 1 - first : last) << what << " row " << delivery.row;
            EXPECT_EQ(0, std::memcmp(delivery.pixels.data(), DIBRow(reference.InternalDIB().Info, delivery.row), rowBytes))
                << what << " row " << delivery.row;
        }
    }
}

TEST(BoxReduction, SizesBelowOneFailLikeTheImageSizes) {
    const struct {
        int sourceWidth, sourceHeight, width, height;
        const char* message;
    } cases[] = {{0, 4, 2, 2, "TZdDIB.SetWidth: Invalid Width"},  {4, 4, 0, 2, "TZdDIB.SetWidth: Invalid Width"},
                 {4, -1, 2, 2, "TZdDIB.SetWidth: Invalid Height"}, {4, 4, 2, 0, "TZdDIB.SetWidth: Invalid Height"},
                 {4, 4, 2, -2, "TZdDIB.SetWidth: Invalid Height"}};
    const auto ignore = [](std::int32_t, const std::uint8_t*) {};
    for (const auto& c : cases)
        ExpectError<EZdDIBInvalidDIBPara>(
            [&] { TBoxReduction(c.sourceWidth, c.sourceHeight, c.width, c.height, TRowOrder::TopDown, ignore); },
            c.message);
}

TEST(AverageBox, ReadsOutsideThePictureFromItsEdges) {
    TZdDIB source;
    Paint(source, 2, 2, 24, [](int x, int y) { return x == 1 ? 0xFF0000u : y == 1 ? 0x0000FFu : 0u; });
    const struct {
        double x0, y0, x1, y1;
        std::uint32_t rgb;
    } cases[] = {
        {-2, 0, 1, 1, 0x000000},    // columns -2, -1, 0 all read column 0
        {0, 0, 3, 1, 0xAA0000},     // 0, 255, 255 (column 2 reads column 1)
        {1.5, 0, 2, 1, 0xFF0000},   // column 1 only
        {0, -0.5, 1, 3.2, 0x0000BF},  // rows 0 (Trunc), 1, 2 → 1, 3 → 1: 765 / 4
        {-0.9, 0, 0.1, 1, 0x000000},  // Trunc(-0.9) = 0, Ceil(0.1) = 1
    };
    for (const auto& c : cases) {
        EXPECT_EQ(AverageBox(source, c.x0, c.y0, c.x1, c.y1), Bgr(c.rgb)) << c.x0 << " " << c.y0 << " " << c.x1 << " " << c.y1;
        EXPECT_EQ(AverageBox(source, c.x0, c.y0, c.x1, c.y1), ReferenceAverageBox(source, c.x0, c.y0, c.x1, c.y1));
    }
}

TEST(AverageBox, EmptyBoxesAndWildCoordinatesAreRangeErrors) {
    TZdDIB source;
    source.SetBitCount(24);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double wild[][4] = {{1, 0, 1, 1},   {0, 0, 1, -0.5}, {nan, 0, 1, 1},
                              {0, 0, 1e9, 1}, {0, -1e300, 1, 1}, {0, 0, std::numeric_limits<double>::infinity(), 1}};
    for (const auto& c : wild) EXPECT_THROW(AverageBox(source, c[0], c[1], c[2], c[3]), ERangeError) << c[0] << " " << c[2];
}

}  // namespace
}  // namespace imvexa::test
