#include <gtest/gtest.h>

#include "ExtensionKey.h"
#include "ThumbnailLayout.h"

namespace imvexa {
namespace {

struct LayoutCase {
    int width, height, edge;
    bool scaled;
    Rect target;
};

class ThumbnailLayoutTest : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(ThumbnailLayoutTest, PlacesThePicture) {
    const LayoutCase& c = GetParam();
    const ThumbnailLayout layout = LayOutThumbnail(c.width, c.height, c.edge);
    EXPECT_EQ(layout.scaled, c.scaled);
    EXPECT_EQ(layout.target.left, c.target.left);
    EXPECT_EQ(layout.target.top, c.target.top);
    EXPECT_EQ(layout.target.right, c.target.right);
    EXPECT_EQ(layout.target.bottom, c.target.bottom);
}

INSTANTIATE_TEST_SUITE_P(
    Geometry, ThumbnailLayoutTest,
    ::testing::Values(LayoutCase{120, 80, 120, false, {0, 20, 120, 100}},    // fits: centred
                      LayoutCase{119, 119, 120, false, {0, 0, 119, 119}},    // 1 div 2 is 0
                      LayoutCase{0, 0, 120, false, {60, 60, 60, 60}},        // empty source
                      LayoutCase{121, 10, 120, true, {0, 55, 120, 65}},      // 9.917 rounds to 10
                      LayoutCase{100, 200, 120, true, {30, 0, 90, 120}},     // portrait
                      LayoutCase{200, 200, 120, true, {0, 0, 120, 120}},     // square takes the height branch
                      LayoutCase{240, 5, 120, true, {0, 59, 120, 61}},       // 2.5 rounds to even 2
                      LayoutCase{75, 144, 120, true, {28, 0, 91, 120}},      // the double 62.50000000000001 rounds up
                      LayoutCase{1000, 4, 120, true, {0, 60, 120, 60}},      // height rounds to 0
                      LayoutCase{300, 100, 160, true, {0, 53, 160, 106}}));  // 160-pixel thumbnails

bool ShiftJisLeadByte(unsigned char byte) { return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC); }

TEST(ExtensionKeyTest, TakesTheLastDotOfTheFileName) {
    const struct {
        const char* path;
        const char* key;
    } cases[] = {
        {"C:\\pictures\\photo.jpg", "JPG"},
        {"C:\\archive.tar.gz", "GZ"},
        {"C:\\a.b\\file", ""},       // the dot lies in a folder name
        {"C:\\noext", ""},
        {"C:\\mixed.Jp2", "JP2"},
        {"C:\\trailing.", ""},
        {"D:.ini", "INI"},
        {"C:\\x.\xE4\xB8", "\xE4\xB8"},  // non-ASCII characters are kept as they are
        {"C:\\x.\x83\x65x", "\x83\x65X"},  // テ, whose second byte is "e", stays テ
    };
    for (const auto& c : cases) EXPECT_EQ(ExtensionKey(c.path, ShiftJisLeadByte), c.key) << c.path;
}

TEST(ExtensionKeyTest, IgnoresSecondBytesOfDoubleByteCharacters) {
    // 0x95 0x5C is one Shift_JIS character whose second byte is a backslash.
    EXPECT_EQ(ExtensionKey("C:\\a.txt\x95\x5C" "b", ShiftJisLeadByte), "TXT\x95\x5C" "B");
    // Read as single bytes, the same path's last separator is that backslash.
    EXPECT_EQ(ExtensionKey("C:\\a.txt\x95\x5C" "b", [](unsigned char) { return false; }), "");
}

}  // namespace
}  // namespace imvexa
