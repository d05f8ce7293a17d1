// Every way a MAG file or a MAG operation can fail, and what fails with it.
#include <functional>

#include "MagTestSupport.h"

namespace imvexa::test {
namespace {

Bytes Cut(Bytes file, std::size_t size) {
    file.resize(size);
    return file;
}

Bytes With(Bytes file, std::size_t offset, std::uint8_t value) {
    file[offset] = value;
    return file;
}

struct BadFile {
    const char* name;
    Bytes file;
    const char* detail;
    // What DecodeMAG finds, where it differs: a streamed picture is not refused for its size.
    const char* rowsDetail = nullptr;
};

TEST(MagErrors, MalformedFilesFailWithTheirDetail) {
    const Bytes good = MagBuilder().Build();
    const std::size_t header = MagBuilder().HeaderStart();
    std::vector<Bytes> copy16Up(15, Bytes{0});
    copy16Up.push_back({0xF0});
    const BadFile cases[] = {
        {"empty file", {}, "is not MAG."},
        {"first letter", With(good, 0, 'm'), "is not MAG."},
        {"second blank", With(good, 7, '_'), "is not MAG."},
        {"lead-in cut short", Cut(good, 20), "lead-in is cut short"},
        {"no 0x1A", Cut(good, header - 1), "no 0x1A after the comment"},
        {"header cut short", Cut(good, header + 20), "header is cut short"},
        {"no 0x00 before the header", With(good, header, 0x01), "no 0x00 byte before the header"},
        {"right X left of left X", MagBuilder().Area(16, 0, 7, 0).Build(), "picture is empty"},
        {"bottom Y above top Y", MagBuilder().Area(0, 5, 7, 4).Build(), "picture is empty"},
        {"65536 × 65536", MagBuilder().Colors256().Area(0, 0, 65535, 65535).Build(), "picture is too large",
         "flag A runs past the end of the file"},
        {"palette cut short", Cut(good, header + 32 + 20), "palette runs past the end of the file"},
        {"flag A far past the end", MagBuilder().FlagAOffset(0xFFFFFFF0).Build(), "flag A runs past the end of the file"},
        {"flag A cut short", MagBuilder().Colors256().Area(0, 0, 3, 15).Pixels({}).Build(),
         "flag A runs past the end of the file"},
        {"flag B far past the end", MagBuilder().FlagA({0x80}).FlagBOffset(0xFFFFFFFF).Build(),
         "flag B runs past the end of the file"},
        {"flag B runs out", MagBuilder().FlagA({0x80}).Pixels({}).Build(), "flag B runs past the end of the file"},
        {"pixels far past the end", MagBuilder().PixelOffset(0xFFFFFFFF).Build(),
         "pixel data runs past the end of the file"},
        {"pixels run out", MagBuilder().Pixels({1, 2}).Build(), "pixel data runs past the end of the file"},
        {"copy above the top row", MagBuilder().FlagA({0x80}).FlagB({0x40}).Build(), "copy from above the first row"},
        {"copy 16 rows up from row 15", MagBuilder().Colors256().Area(0, 0, 3, 15).FlagRows(copy16Up).Pixels(Bytes(64, 7)).Build(),
         "copy from above the first row"},
        {"copy left of the first unit", MagBuilder().FlagA({0x80}).FlagB({0x10}).Build(),
         "copy from left of the first unit"},
        {"copy up-left from the first unit", MagBuilder().Colors256().Area(0, 0, 3, 1).FlagRows({{0}, {0x50}}).Build(),
         "copy from left of the first unit"},
    };
    for (const BadFile& c : cases) {
        SCOPED_TRACE(c.name);
        TMAGImage image;
        ExpectError<EMagError>([&] { Load(image, c.file); }, std::string("MAG image error:") + c.detail);
        TBitmap rows;
        ExpectError<EMagError>([&] { DecodeInto(rows, c.file); },
                               std::string("MAG image error:") + (c.rowsDetail ? c.rowsDetail : c.detail));
    }
}

TEST(MagErrors, FailedLoadKeepsThePreviousPicture) {
    TMAGImage image;
    Load(image, MagBuilder().Colors256().Area(0, 0, 3, 0).Build());
    ASSERT_THROW(Load(image, MagBuilder().Pixels({}).Build()), EMagError);
    EXPECT_EQ(image.ColorMode(), 1);
    EXPECT_EQ(image.Width(), 4);
    EXPECT_EQ(Row(image, 0, 4), (Bytes{0x01, 0x23, 0x45, 0x67}));
}

// A stream whose end lies further out than the bytes it can give.
class ShortStream : public TMemoryStream {
public:
    using TMemoryStream::TMemoryStream;
    std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override {
        if (origin == SeekOrigin::End) return TMemoryStream::Seek(offset, origin) + 100;
        return TMemoryStream::Seek(offset, origin);
    }
};

TEST(MagErrors, StreamsShorterThanTheyClaimRaiseTheirReadError) {
    TMAGImage image;
    ShortStream stream(MagBuilder().Build());
    ExpectError<EReadError>([&] { image.LoadFromStream(stream); }, "Stream read error");

    TMemoryStream stored(Bytes{0xFF, 0xFF, 0xFF, 0x7F, 'M', 'A'});
    ExpectError<EReadError>([&] { image.ReadData(stored); }, "Stream read error");
}

struct BadOperation {
    const char* name;
    std::function<void(TMAGImage&)> run;
    const char* detail;
};

TEST(MagErrors, InvalidOperationsFailWithTheirDetail) {
    const BadOperation cases[] = {
        {"saving without a bitmap", [](TMAGImage& image) { Save(image); }, "not have DIB"},
        {"storing without a bitmap",
         [](TMAGImage& image) {
             TMemoryStream stream;
             image.WriteData(stream);
         },
         "not have DIB"},
        {"saving an empty bitmap",
         [](TMAGImage& image) {
             image.SetWidth(8);
             Save(image);
         },
         "picture is empty"},
        {"width past 65535",
         [](TMAGImage& image) {
             image.Properties.LeftX = 65528;
             image.SetWidth(9);
         },
         "range over"},
        {"height past 65535",
         [](TMAGImage& image) {
             image.Properties.TopY = 65530;
             image.SetHeight(7);
         },
         "range over"},
        {"saving a picture that reaches past 65535",
         [](TMAGImage& image) {
             image.SetWidth(8);
             image.SetHeight(8);
             image.Properties.TopY = 65530;
             Save(image);
         },
         "range over"},
        {"a bitmap of another depth",
         [](TMAGImage& image) {
             image.SetHeight(1);
             image.InternalBitmap().SetPixelFormat(TPixelFormat::Bit24);
             Save(image);
         },
         "picture is not 4 or 8 bits per pixel"},
        {"a bitmap of part of a flag byte",
         [](TMAGImage& image) {
             image.SetHeight(1);
             image.InternalBitmap().SetWidth(5);
             Save(image);
         },
         "width is not whole flag bytes"},
        {"comment with the comment end",
         [](TMAGImage& image) {
             image.SetHeight(1);
             image.Properties.Comment = "a\x1A" "b";
             Save(image);
         },
         "comment holds a 0x00 or 0x1A byte"},
        {"user name with a 0x00 byte",
         [](TMAGImage& image) {
             image.SetHeight(1);
             image.Properties.UserName = std::string("a\0b", 3);
             Save(image);
         },
         "user name holds a 0x00 byte"},
    };
    for (const BadOperation& c : cases) {
        SCOPED_TRACE(c.name);
        TMAGImage image;
        ExpectError<EInvalidMagOperation>([&] { c.run(image); }, std::string("MAG invaild operation:") + c.detail);
    }
}

}  // namespace
}  // namespace imvexa::test
