#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "IconDirectory.h"
#include "MetafileHeader.h"

namespace imvexa {
namespace {

using Bytes = std::vector<std::uint8_t>;

void PutWord(Bytes& b, std::size_t at, std::uint16_t v) {
    b[at] = static_cast<std::uint8_t>(v);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
void PutLong(Bytes& b, std::size_t at, std::uint32_t v) {
    PutWord(b, at, static_cast<std::uint16_t>(v));
    PutWord(b, at + 2, static_cast<std::uint16_t>(v >> 16));
}

struct IconSpec {
    int width, height, colorCount, bitCount;
};

// An icon file whose images are 8 bytes of filler each.
Bytes IconFile(const std::vector<IconSpec>& images) {
    Bytes file(6 + 16 * images.size());
    PutWord(file, 2, 1);
    PutWord(file, 4, static_cast<std::uint16_t>(images.size()));
    for (std::size_t i = 0; i < images.size(); ++i) {
        const std::size_t entry = 6 + 16 * i;
        file[entry] = static_cast<std::uint8_t>(images[i].width);
        file[entry + 1] = static_cast<std::uint8_t>(images[i].height);
        file[entry + 2] = static_cast<std::uint8_t>(images[i].colorCount);
        PutWord(file, entry + 6, static_cast<std::uint16_t>(images[i].bitCount));
        PutLong(file, entry + 8, 8);
        PutLong(file, entry + 12, static_cast<std::uint32_t>(file.size()));
        file.resize(file.size() + 8);
    }
    return file;
}

std::size_t Choose(const std::vector<IconSpec>& images, int displayBits = 32) {
    const Bytes file = IconFile(images);
    return ChooseIconImage(ReadIconDirectory(file.data(), file.size()), 32, 32, displayBits);
}

TEST(IconDirectoryTest, ChoosesTheNearestSizeThenTheMostColours) {
    EXPECT_EQ(Choose({{16, 16, 0, 32}, {32, 32, 16, 0}, {48, 48, 0, 32}}), 1u);
    EXPECT_EQ(Choose({{32, 32, 16, 4}, {32, 32, 0, 8}, {32, 32, 0, 32}}), 2u);
    EXPECT_EQ(Choose({{32, 32, 0, 32}, {32, 32, 0, 8}}, 8), 1u);  // 32 bits cannot be shown on 8
    EXPECT_EQ(Choose({{16, 16, 0, 8}, {48, 48, 0, 8}}), 0u);     // a tie goes to the first
    EXPECT_EQ(Choose({{0, 0, 0, 32}, {64, 64, 0, 32}}), 1u);     // 0 means 256
}

TEST(IconDirectoryTest, RejectsWhatIsNotAnIcon) {
    Bytes good = IconFile({{32, 32, 0, 32}});
    Bytes cursor = good;
    PutWord(cursor, 2, 2);
    Bytes empty = good;
    PutWord(empty, 4, 0);
    Bytes outside = good;
    PutLong(outside, 6 + 12, 0xFFFFFFF0u);  // offset + size wraps around
    Bytes tooMany = good;
    PutWord(tooMany, 4, 500);
    for (const Bytes* bad : std::initializer_list<const Bytes*>{&cursor, &empty, &outside, &tooMany})
        EXPECT_THROW(ReadIconDirectory(bad->data(), bad->size()), EIconError);
    EXPECT_THROW(ReadIconDirectory(good.data(), 5), EIconError);
    EXPECT_EQ(ReadIconDirectory(good.data(), good.size()).size(), 1u);
}

Bytes PlaceableHeader(std::int16_t right, std::int16_t bottom, std::uint16_t inch) {
    Bytes file(40);
    PutLong(file, 0, 0x9AC6CDD7u);
    PutWord(file, 10, static_cast<std::uint16_t>(right));
    PutWord(file, 12, static_cast<std::uint16_t>(bottom));
    PutWord(file, 14, inch);
    std::uint16_t sum = 0;
    for (std::size_t i = 0; i < 20; i += 2) sum ^= static_cast<std::uint16_t>(file[i] | file[i + 1] << 8);
    PutWord(file, 20, sum);
    return file;
}

TEST(MetafileHeaderTest, SizesPlaceableFilesByTheirBoxAndUnits) {
    const Bytes file = PlaceableHeader(1440, 720, 1440);  // 1 × 0.5 inch
    const MetafileInfo info = ReadMetafileHeader(file.data(), file.size(), 96);
    EXPECT_EQ(info.kind, MetafileKind::Placeable);
    EXPECT_EQ(info.width, 96);
    EXPECT_EQ(info.height, 48);
    const Bytes defaultUnits = PlaceableHeader(192, 96, 0);  // 96 units per inch
    EXPECT_EQ(ReadMetafileHeader(defaultUnits.data(), defaultUnits.size(), 96).width, 192);
}

TEST(MetafileHeaderTest, SizesEnhancedFilesByTheirFrameOnTheReferenceDevice) {
    Bytes file(100);
    file[40] = ' ', file[41] = 'E', file[42] = 'M', file[43] = 'F';
    PutLong(file, 32, 10000);  // frame 100 mm × 50 mm in 0.01 mm
    PutLong(file, 36, 5000);
    PutLong(file, 72, 1000);  // device 1000 × 800 pixels on 250 × 200 mm
    PutLong(file, 76, 800);
    PutLong(file, 80, 250);
    PutLong(file, 84, 200);
    const MetafileInfo info = ReadMetafileHeader(file.data(), file.size(), 96);
    EXPECT_EQ(info.kind, MetafileKind::Enhanced);
    EXPECT_EQ(info.width, 400);
    EXPECT_EQ(info.height, 200);
    PutLong(file, 80, 0);
    EXPECT_THROW(ReadMetafileHeader(file.data(), file.size(), 96), EMetafileError);
}

TEST(MetafileHeaderTest, RejectsOtherContent) {
    Bytes wrongSum = PlaceableHeader(100, 100, 96);
    wrongSum[20] ^= 1;
    const Bytes noSize = PlaceableHeader(0, 100, 96);
    const Bytes text(100, 'a');
    for (const Bytes* bad : std::initializer_list<const Bytes*>{&wrongSum, &noSize, &text})
        EXPECT_THROW(ReadMetafileHeader(bad->data(), bad->size(), 96), EMetafileError);
    const Bytes good = PlaceableHeader(100, 100, 96);
    EXPECT_THROW(ReadMetafileHeader(good.data(), 22, 96), EMetafileError);  // header only
}

}  // namespace
}  // namespace imvexa
