// The writer through round trips, and TMAGImage as a graphic: assignment,
// sizes, modification and the stored form.
#include "MagTestSupport.h"
#include "MagTypes.h"

namespace imvexa::test {
namespace {

MagHeader HeaderOf(const TMAGImage& image) {
    return MagHeader::Parse(image.Data().Header);
}

struct RoundTrip {
    const char* name;
    TPixelFormat format;
    int width, height;
    std::uint32_t values;
    MagProperties properties;
};

TEST(MagWriter, RoundTripsKeepPictureAndProperties) {
    const RoundTrip cases[] = {
        {"16 colours, noise", TPixelFormat::Bit4, 40, 23, 16, {"odd", "someone", false, 0, 0}},
        {"16 colours, three values", TPixelFormat::Bit4, 64, 40, 3, {"even", "", true, 10, 16}},
        {"256 colours, noise", TPixelFormat::Bit8, 36, 19, 256, {"", "a name longer than eighteen", false, 3, 4}},
        {"256 colours, two values", TPixelFormat::Bit8, 52, 33, 2, {"x", ">?\?<", true, 65500, 65480}},
    };
    for (const RoundTrip& c : cases) {
        SCOPED_TRACE(c.name);
        const auto picture = Picture(c.format, c.width, c.height, c.values);
        TMAGImage written;
        written.Assign(picture.get());
        written.Properties = c.properties;
        TMAGImage read;
        Load(read, Save(written));

        ExpectSamePicture(*picture, read.InternalBitmap());
        EXPECT_EQ(read.ColorMode(), written.ColorMode());
        const std::string& comment = c.properties.Comment;
        EXPECT_EQ(read.Properties.Comment, comment.size() % 2 == 0 ? comment + " " : comment);
        EXPECT_EQ(read.Properties.UserName, (c.properties.UserName + std::string(18, ' ')).substr(0, 18));
        EXPECT_EQ(read.Properties.TopY, c.properties.TopY);
        EXPECT_EQ(read.Properties.LeftX, c.properties.LeftX);
        EXPECT_EQ(read.Properties.Is200Line, c.properties.Is200Line);
        // Lead-in, comment and 0x1A put the header at an even offset.
        EXPECT_EQ((32 + read.Properties.Comment.size() + 1) % 2, 0u);
        EXPECT_EQ(HeaderOf(read).flagBSize % 2, 0u);
    }
}

TEST(MagWriter, FlatPictureStoresOneLiteralUnit) {
    const auto picture = Picture(TPixelFormat::Bit8, 32, 24, 1);
    TMAGImage image;
    image.Assign(picture.get());
    Save(image);
    EXPECT_EQ(HeaderOf(image).pixelSize, 2u);
}

TEST(MagWriter, LeftXIsRoundedToTheFlagByteAsTheReaderDoes) {
    const auto picture = Picture(TPixelFormat::Bit4, 16, 2, 16);
    TMAGImage image;
    image.Assign(picture.get());
    image.Properties.LeftX = 13;
    TMAGImage read;
    Load(read, Save(image));
    EXPECT_EQ(HeaderOf(image).leftX, 8);
    EXPECT_EQ(read.Properties.LeftX, 8);
    ExpectSamePicture(*picture, read.InternalBitmap());
}

TEST(MagImage, SavingAnUnmodifiedImageWritesItsBytesAgain) {
    const auto picture = Picture(TPixelFormat::Bit4, 24, 9, 5);
    TMAGImage image;
    image.Assign(picture.get());
    const Bytes first = Save(image);
    EXPECT_FALSE(image.Modified);
    EXPECT_EQ(Save(image), first);

    // Loading marks the image modified: the next save encodes the picture anew.
    TMAGImage loaded;
    Load(loaded, MagBuilder().Build());
    EXPECT_TRUE(loaded.Modified);
    const Bytes encoded = Save(loaded);
    EXPECT_NE(encoded, MagBuilder().Build());
    TMAGImage again;
    Load(again, encoded);
    ExpectSamePicture(loaded.InternalBitmap(), again.InternalBitmap());
}

TEST(MagImage, AssignedImagesShareTheirData) {
    TMAGImage a;
    Load(a, MagBuilder().Colors256().Area(0, 0, 3, 0).Comment("shared").Build());
    TMAGImage b;
    b.Assign(&a);
    EXPECT_TRUE(b.Equals(a));
    EXPECT_EQ(b.ColorMode(), 1);
    EXPECT_EQ(b.Properties.Comment, "shared");
    ExpectSamePicture(a.InternalBitmap(), b.InternalBitmap());

    b.SetHeight(3);  // its own bitmap
    EXPECT_EQ(a.Height(), 1);
    Load(a, MagBuilder().Build());
    EXPECT_FALSE(b.Equals(a));

    // A copy of an image without a bitmap has none either.
    TMAGImage fresh;
    b.Assign(&fresh);
    EXPECT_TRUE(b.Empty());
    EXPECT_EQ(b.Width(), 0);
    EXPECT_EQ(b.Palette(), nullptr);
}

struct DepthCase {
    const char* name;
    TPixelFormat from;
    int width;
    TPixelFormat to;
    int fittedWidth;
    int colorMode;
};

TEST(MagImage, AssignedBitmapsGetAStoredDepthAndWholeFlagBytes) {
    const DepthCase cases[] = {
        {"1 bit", TPixelFormat::Bit1, 13, TPixelFormat::Bit4, 16, 0},
        {"4 bits", TPixelFormat::Bit4, 8, TPixelFormat::Bit4, 8, 0},
        {"8 bits", TPixelFormat::Bit8, 10, TPixelFormat::Bit8, 12, 1},
        {"24 bits", TPixelFormat::Bit24, 5, TPixelFormat::Bit8, 8, 1},
    };
    for (const DepthCase& c : cases) {
        SCOPED_TRACE(c.name);
        TBitmap source;
        source.SetPixelFormat(c.from);
        source.SetSize(c.width, 2);
        TMAGImage image;
        image.Properties.Comment = "replaced";
        image.Assign(&source);
        EXPECT_EQ(image.InternalBitmap().PixelFormat(), c.to);
        EXPECT_EQ(image.Width(), c.fittedWidth);
        EXPECT_EQ(image.ColorMode(), c.colorMode);
        EXPECT_EQ(image.Properties.Comment, MagProperties{}.Comment);
        EXPECT_TRUE(image.Modified);
    }
}

TEST(MagImage, AssigningToABitmapCopiesThePicture) {
    TMAGImage image;
    Load(image, MagBuilder().Build());
    TBitmap bitmap;
    bitmap.Assign(&image);
    ExpectSamePicture(image.InternalBitmap(), bitmap);

    TMAGImage fresh;
    fresh.AssignTo(bitmap);
    EXPECT_EQ(bitmap.PixelFormat(), TPixelFormat::Bit4);
    EXPECT_EQ(bitmap.Width(), 8);
    EXPECT_TRUE(bitmap.Empty());
}

TEST(MagImage, WidthsAreRoundedUpToWholeFlagBytes) {
    TMAGImage sixteen;
    sixteen.SetWidth(10);
    EXPECT_EQ(sixteen.Width(), 16);
    EXPECT_TRUE(sixteen.Empty());  // no rows yet

    TBitmap eightBits;
    eightBits.SetPixelFormat(TPixelFormat::Bit8);
    eightBits.SetSize(4, 1);
    TMAGImage twoHundredFiftySix;
    twoHundredFiftySix.Assign(&eightBits);
    twoHundredFiftySix.SetWidth(10);
    EXPECT_EQ(twoHundredFiftySix.Width(), 12);
}

TEST(MagImage, StoredFormRoundTripsAndLeavesTheStreamAfterIt) {
    TMAGImage image;
    Load(image, MagBuilder().Colors256().Area(0, 0, 3, 0).Build());
    TMemoryStream stream;
    image.WriteData(stream);
    const auto stored = stream.Position();
    const std::uint8_t trailer = 0x5A;
    stream.WriteBuffer(&trailer, 1);

    stream.Seek(0, SeekOrigin::Begin);
    TMAGImage copy;
    copy.ReadData(stream);
    EXPECT_EQ(stream.Position(), stored);
    EXPECT_EQ(static_cast<std::size_t>(stored), 4 + copy.Data().FileBytes.size());
    ExpectSamePicture(image.InternalBitmap(), copy.InternalBitmap());
}

}  // namespace
}  // namespace imvexa::test
