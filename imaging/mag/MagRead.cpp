// The MAG reader. Every position taken from the file is checked against the
// file's size before it is read, and every copy against the picture.
#include "MagRead.h"

#include <algorithm>
#include <cstring>

#include "PixelLimits.h"

namespace imvexa {

namespace {

std::string TextOf(const std::uint8_t* first, const std::uint8_t* last) {
    return std::string(reinterpret_cast<const char*>(first), reinterpret_cast<const char*>(last));
}

// Width and height of the picture: from the start of the flag byte that
// holds left X to the end of the one that holds right X, top Y to bottom Y.
void SetPictureSize(TMagData& data, const MagHeader& header, int colorMode) {
    const std::int64_t u = MagFlagBytePixels(colorMode);
    const std::int64_t width = (header.rightX - header.rightX % u + u - 1) - (header.leftX - header.leftX % u) + 1;
    const std::int64_t height = std::int64_t{header.bottomY} - header.topY + 1;
    if (width <= 0 || height <= 0) throw EMagError("picture is empty");
    if (!WithinPixelLimits(width, height, RowStride(static_cast<std::int32_t>(width), colorMode == 1 ? 8 : 4)))
        throw EMagError("picture is too large");
    data.Width = static_cast<std::int32_t>(width);
    data.Height = static_cast<std::int32_t>(height);
}

// Flag positions of the picture: one per flag byte of every row.
std::int64_t FlagPositions(const TMagData& data, int colorMode) {
    return std::int64_t{data.Width} / MagFlagBytePixels(colorMode) * data.Height;
}

// Whether count bytes from base + offset lie inside the file.
bool FitsInFile(const MagFile& file, std::uint64_t offset, std::uint64_t count) {
    return file.base + offset + count <= file.data->FileBytes.size();
}

std::vector<PaletteEntry> ReadPalette(const MagFile& file) {
    const std::uint8_t* entry = file.data->FileBytes.data() + file.base + kMagHeaderSize;
    std::vector<PaletteEntry> colors(static_cast<std::size_t>(MagColorCount(file.colorMode)));
    for (PaletteEntry& color : colors) {
        color = PaletteEntry{entry[1], entry[0], entry[2], 0};  // stored green, red, blue
        entry += 3;
    }
    return colors;
}

// Raising stays out of line, so that the per-unit code stays small enough to inline.
[[noreturn, gnu::noinline]] void Fail(const char* detail) {
    throw EMagError(detail);
}

// Fills the rows of the picture unit by unit from the three streams.
class UnitDecoder {
public:
    UnitDecoder(const MagFile& file, std::vector<std::uint8_t*> rows)
        : bytes_(file.data->FileBytes), rows_(std::move(rows)),
          flagA_(file.base + std::uint64_t{file.header.flagAOffset}),
          flagB_(file.base + std::uint64_t{file.header.flagBOffset}),
          pixels_(file.base + std::uint64_t{file.header.pixelOffset}) {}

    void Decode(std::int64_t flagBytesPerRow) {
        std::vector<std::uint8_t> flagLine(static_cast<std::size_t>(flagBytesPerRow), 0);
        std::uint8_t mask = 0x80;
        for (std::size_t y = 0; y < rows_.size(); ++y) {
            for (std::size_t x = 0; x < flagLine.size(); ++x) {
                // ReadMagFile made sure that flag A holds a bit for every position.
                if ((bytes_[flagA_] & mask) != 0) flagLine[x] ^= NextFlagB();
                mask = static_cast<std::uint8_t>(mask >> 1);
                if (mask == 0) {
                    mask = 0x80;
                    ++flagA_;
                }
                PutUnit(y, 2 * x, flagLine[x] >> 4);
                PutUnit(y, 2 * x + 1, flagLine[x] & 0x0F);
            }
        }
    }

private:
    std::uint8_t NextFlagB() {
        if (flagB_ >= bytes_.size()) Fail("flag B runs past the end of the file");
        return bytes_[flagB_++];
    }

    void PutUnit(std::size_t y, std::size_t unit, int nibble) {
        std::uint8_t* to = rows_[y] + 2 * unit;
        if (nibble == 0) {
            if (pixels_ + 2 > bytes_.size()) Fail("pixel data runs past the end of the file");
            std::memcpy(to, bytes_.data() + pixels_, 2);
            pixels_ += 2;
            return;
        }
        const MagCopyPosition from = kMagCopyPositions[static_cast<std::size_t>(nibble)];
        if (y < static_cast<std::size_t>(from.dy)) Fail("copy from above the first row");
        if (unit < static_cast<std::size_t>(from.dx)) Fail("copy from left of the first unit");
        std::memcpy(to, rows_[y - from.dy] + 2 * (unit - from.dx), 2);
    }

    const std::vector<std::uint8_t>& bytes_;
    const std::vector<std::uint8_t*> rows_;
    std::uint64_t flagA_;
    std::uint64_t flagB_;
    std::uint64_t pixels_;
};

}  // namespace

MagFile ReadMagFile(std::vector<std::uint8_t> bytes) {
    if (bytes.size() < kMagSignatureSize || std::memcmp(bytes.data(), kMagSignature, kMagSignatureSize) != 0)
        throw EMagError("is not MAG.");
    if (bytes.size() < kMagLeadInSize) throw EMagError("lead-in is cut short");

    auto data = std::make_shared<TMagData>();
    MagFile file;
    const std::uint8_t* const first = bytes.data();
    const std::uint8_t* const last = first + bytes.size();
    std::copy_n(first, kMagLeadInSize, data->LeadIn.begin());

    const std::uint8_t* const commentEnd = std::find(first + kMagLeadInSize, last, kMagCommentEnd);
    if (commentEnd == last) throw EMagError("no 0x1A after the comment");
    const std::uint8_t* const header = commentEnd + 1;
    if (last - header < static_cast<std::ptrdiff_t>(kMagHeaderSize)) throw EMagError("header is cut short");
    std::copy_n(header, kMagHeaderSize, data->Header.begin());
    const std::uint8_t* const zero = std::find(first, header + 1, 0);
    if (zero > header) throw EMagError("no 0x00 byte before the header");
    file.base = static_cast<std::size_t>(zero - first);

    file.header = MagHeader::Parse(data->Header);
    file.colorMode = file.header.Has256Colors() ? 1 : 0;
    SetPictureSize(*data, file.header, file.colorMode);
    const int u = MagFlagBytePixels(file.colorMode);
    file.properties.Comment = TextOf(first + kMagLeadInSize, commentEnd);
    file.properties.UserName = TextOf(first + kMagUserNameOffset, first + kMagUserNameOffset + kMagUserNameSize);
    file.properties.Is200Line = file.header.Is200Line();
    file.properties.TopY = file.header.topY;
    file.properties.LeftX = static_cast<std::uint16_t>(file.header.leftX - file.header.leftX % u);

    data->FileBytes = std::move(bytes);
    file.data = data;
    if (!FitsInFile(file, kMagHeaderSize, 3 * static_cast<std::uint64_t>(MagColorCount(file.colorMode))))
        throw EMagError("palette runs past the end of the file");
    const auto flagABytes = static_cast<std::uint64_t>((FlagPositions(*data, file.colorMode) + 7) / 8);
    if (!FitsInFile(file, file.header.flagAOffset, flagABytes)) throw EMagError("flag A runs past the end of the file");
    return file;
}

void DecodeMagPicture(const MagFile& file, TBitmap& bitmap) {
    const TMagData& data = *file.data;
    // Format and colours first: the rows are then laid out once, at their final depth.
    bitmap.SetPixelFormat(file.colorMode == 1 ? TPixelFormat::Bit8 : TPixelFormat::Bit4);
    bitmap.SetColorTable(ReadPalette(file));
    bitmap.SetSize(data.Width, data.Height);

    std::vector<std::uint8_t*> rows(static_cast<std::size_t>(data.Height));
    for (int y = 0; y < data.Height; ++y) rows[static_cast<std::size_t>(y)] = bitmap.ScanLine(y);
    UnitDecoder(file, std::move(rows)).Decode(data.Width / MagFlagBytePixels(file.colorMode));
}

}  // namespace imvexa
