// Speed mode's reduced JPEG decoding: the scale chosen at its boundaries, the
// nearest-pixel stretch, and the native speed thumbnail landing in the
// rectangle of quality mode.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "CompressJPEG.h"
#include "JPEGDecode.h"
#include "NearestStretch.h"
#include "ReducedJPEG.h"
#include "RowStreams.h"
#include "SpeedThumbnail.h"
#include "ThumbnailComposer.h"

namespace imvexa::test {
namespace {

TEST(ReducedJPEGScale, LeavesAtLeastTwiceTheTargetInBothDirections) {
    const struct {
        int width, height, edge;
        TJPEGScale scale;
    } cases[] = {
        {1920, 1280, 120, TJPEGScale::Eighth},    // 240 × 160: exactly twice 120 × 80
        {1912, 1275, 120, TJPEGScale::Quarter},   // an eighth is 239 wide, just under twice
        {1913, 1276, 120, TJPEGScale::Eighth},    // an eighth rounds up to 240 × 160
        {1920, 1272, 120, TJPEGScale::Quarter},   // the height alone falls short: 159 of 160
        {1280, 1920, 120, TJPEGScale::Eighth},    // portrait
        {480, 320, 120, TJPEGScale::Half},        // half is exactly twice
        {479, 320, 120, TJPEGScale::Half},        // rounded up: 240 × 160
        {478, 319, 120, TJPEGScale::FullSize},    // half is 239 × 160: scaled, at full size
        {121, 10, 120, TJPEGScale::FullSize},
        {120, 80, 120, TJPEGScale::FullSize},     // fits: unscaled, full size
        {1000, 4, 120, TJPEGScale::Quarter},      // no height to keep: 250 × 1 covers 240 × 0
        {2560, 1920, 160, TJPEGScale::Eighth},    // 160-pixel thumbnails: 320 × 240
        {2552, 1920, 160, TJPEGScale::Quarter},
    };
    for (const auto& c : cases) {
        const ThumbnailLayout layout = LayOutThumbnail(c.width, c.height, c.edge);
        EXPECT_EQ(ReducedJPEGScale(c.width, c.height, layout), c.scale)
            << c.width << "x" << c.height << " edge " << c.edge;
    }
}

// Each thumbnail pixel of the target is the source pixel under its centre,
// whatever the rows' order and format; the rest stays white.
TEST(NearestStretch, PicksThePixelUnderEachCentre) {
    std::mt19937 random(7);
    const Rect target{3, 5, 10, 9};  // 7 × 4
    for (const TPixelFormat format : {TPixelFormat::Bit8, TPixelFormat::Bit24})
        for (const TRowOrder order : {TRowOrder::TopDown, TRowOrder::BottomUp})
            for (const auto& [width, height] : {std::pair{20, 9}, std::pair{7, 4}, std::pair{3, 2}}) {
                TBitmap picture, thumbnail, picked;
                RandomBitmap(picture, random, width, height, format, 256);
                TNearestStretch stretch(thumbnail, 16, target);
                SendRowsInOrder(picture, order, stretch);
                picked.Assign(&picture);
                picked.SetPixelFormat(TPixelFormat::Bit24);
                const std::string what = std::to_string(width) + "x" + std::to_string(height) + "@" +
                                         std::to_string(BitsPerPixel(format)) +
                                         (order == TRowOrder::TopDown ? " top-down" : " bottom-up");
                for (int y = 0; y < 16; ++y)
                    for (int x = 0; x < 16; ++x) {
                        const bool inside = x >= target.left && x < target.right && y >= target.top && y < target.bottom;
                        const int sourceX = static_cast<int>((x - target.left + 0.5) * width / 7);
                        const int sourceY = static_cast<int>((y - target.top + 0.5) * height / 4);
                        const std::uint8_t* expected = inside ? picked.ScanLine(sourceY) + 3 * sourceX
                                                              : reinterpret_cast<const std::uint8_t*>("\xFF\xFF\xFF");
                        EXPECT_EQ(std::memcmp(thumbnail.ScanLine(y) + 3 * x, expected, 3), 0)
                            << what << " at " << x << "," << y;
                    }
            }
}

// The smallest rectangle holding every pixel that is not white.
Rect PictureArea(const TBitmap& thumbnail) {
    Rect area{thumbnail.Width(), thumbnail.Height(), 0, 0};
    for (int y = 0; y < thumbnail.Height(); ++y)
        for (int x = 0; x < thumbnail.Width(); ++x) {
            const std::uint8_t* pixel = thumbnail.ScanLine(y) + 3 * x;
            if (pixel[0] == 255 && pixel[1] == 255 && pixel[2] == 255) continue;
            area = {std::min(area.left, x), std::min(area.top, y), std::max(area.right, x + 1),
                    std::max(area.bottom, y + 1)};
        }
    return area;
}

// Small thumbnails keep the pictures small (the test also runs under emulation).
constexpr int kEdge = 30;

// One size per scale: an eighth, a quarter, full size though scaled.
TEST(SpeedThumbnail, ALargeJPEGLandsInTheRectangleOfQualityMode) {
    const struct {
        int width, height, decodedWidth;
    } cases[] = {{480, 320, 60}, {175, 250, 44}, {75, 50, 75}};
    for (const auto& [width, height, decodedWidth] : cases) {
        const std::vector<std::uint8_t> file = QuadrantJPEG(width, height);
        RecordedRows decoded;
        DecodeReducedJPEG(file, PlanReducedJPEG(file, kEdge), decoded);
        EXPECT_EQ(decoded.header.width, decodedWidth);
        TBitmap speed, quality;
        ASSERT_TRUE(StretchReducedJPEGThumbnail(file, "JPG", kEdge, speed));
        TThumbnailComposer composer(quality, kEdge);
        DecodeJPEG(file, TJPEGSettings{}, composer);
        const Rect got = PictureArea(speed), expected = PictureArea(quality);
        EXPECT_EQ(std::tie(got.left, got.top, got.right, got.bottom),
                  std::tie(expected.left, expected.top, expected.right, expected.bottom))
            << width << "x" << height;
        // The quadrants stay where they were: the pixels a quarter in from each corner agree.
        const int quarterX = (got.right - got.left) / 4, quarterY = (got.bottom - got.top) / 4;
        for (const int x : {got.left + quarterX, got.right - 1 - quarterX})
            for (const int y : {got.top + quarterY, got.bottom - 1 - quarterY})
                for (int channel = 0; channel < 3; ++channel)
                    EXPECT_NEAR(speed.ScanLine(y)[3 * x + channel], quality.ScanLine(y)[3 * x + channel], 8)
                        << width << "x" << height << " at " << x << "," << y;
    }
}

TEST(SpeedThumbnail, LeavesPicturesThatFitAndOtherTypesToTheComposition) {
    TBitmap untouched;
    EXPECT_FALSE(StretchReducedJPEGThumbnail(QuadrantJPEG(kEdge, 20), "JPEG", kEdge, untouched));
    EXPECT_FALSE(StretchReducedJPEGThumbnail(QuadrantJPEG(480, 320), "PNG", kEdge, untouched));
    EXPECT_TRUE(untouched.Empty());
}

}  // namespace
}  // namespace imvexa::test
