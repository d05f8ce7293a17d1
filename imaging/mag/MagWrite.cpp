// The MAG writer. Each unit is copied from the position its flag nibble
// already names when that still fits (no flag change to store), else from the
// first copy position that holds an equal unit, else stored literally.
#include "MagWrite.h"

#include <algorithm>
#include <cstring>

namespace imvexa {

namespace {

constexpr int kLastCoordinate = 65535;

class UnitEncoder {
public:
    UnitEncoder(const TBitmap& picture, std::size_t flagBytesPerRow)
        : rows_(static_cast<std::size_t>(picture.Height())), flagBytesPerRow_(flagBytesPerRow) {
        for (std::size_t y = 0; y < rows_.size(); ++y) rows_[y] = picture.ScanLine(static_cast<int>(y));
        // One bit per flag position, rounded up to whole bytes and to an even count.
        const std::size_t flagABytes = (flagBytesPerRow * rows_.size() + 7) / 8;
        flagA.assign(flagABytes + flagABytes % 2, 0);
    }

    void Encode() {
        std::vector<std::uint8_t> flagLine(flagBytesPerRow_, 0);
        std::size_t flagAIndex = 0;
        std::uint8_t mask = 0x80;
        for (std::size_t y = 0; y < rows_.size(); ++y) {
            for (std::size_t x = 0; x < flagLine.size(); ++x) {
                const int high = Choose(y, 2 * x, flagLine[x] >> 4);
                const int low = Choose(y, 2 * x + 1, flagLine[x] & 0x0F);
                const auto flags = static_cast<std::uint8_t>(high << 4 | low);
                const auto change = static_cast<std::uint8_t>(flagLine[x] ^ flags);
                flagLine[x] = flags;
                if (change != 0) {
                    flagA[flagAIndex] |= mask;
                    flagB.push_back(change);
                }
                mask = static_cast<std::uint8_t>(mask >> 1);
                if (mask == 0) {
                    mask = 0x80;
                    ++flagAIndex;
                }
            }
        }
    }

    std::vector<std::uint8_t> flagA;
    std::vector<std::uint8_t> flagB;
    std::vector<std::uint8_t> pixels;

private:
    const std::uint8_t* UnitAt(std::size_t y, std::size_t unit) const { return rows_[y] + 2 * unit; }

    // Whether copy position nibble lies inside the picture and holds the same unit.
    bool CopyMatches(std::size_t y, std::size_t unit, int nibble) const {
        const MagCopyPosition from = kMagCopyPositions[static_cast<std::size_t>(nibble)];
        return y >= static_cast<std::size_t>(from.dy) && unit >= static_cast<std::size_t>(from.dx) &&
               std::memcmp(UnitAt(y - from.dy, unit - from.dx), UnitAt(y, unit), 2) == 0;
    }

    int Choose(std::size_t y, std::size_t unit, int previous) {
        if (previous != 0 && CopyMatches(y, unit, previous)) return previous;
        for (int nibble = 1; nibble < 16; ++nibble)
            if (CopyMatches(y, unit, nibble)) return nibble;
        pixels.insert(pixels.end(), UnitAt(y, unit), UnitAt(y, unit) + 2);
        return 0;
    }

    std::vector<const std::uint8_t*> rows_;
    std::size_t flagBytesPerRow_;
};

void CheckText(const MagProperties& properties) {
    if (properties.Comment.find_first_of(std::string{'\0', '\x1A'}) != std::string::npos)
        throw EInvalidMagOperation("comment holds a 0x00 or 0x1A byte");
    if (properties.UserName.find('\0') != std::string::npos)
        throw EInvalidMagOperation("user name holds a 0x00 byte");
}

void Append(std::vector<std::uint8_t>& out, const std::uint8_t* first, std::size_t count) {
    out.insert(out.end(), first, first + count);
}

void Append(std::vector<std::uint8_t>& out, const std::vector<std::uint8_t>& bytes) {
    Append(out, bytes.data(), bytes.size());
}

// Entries in the file's order green, red, blue; entries the table lacks are black.
std::vector<std::uint8_t> PaletteBytes(const std::vector<PaletteEntry>& table, int count) {
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < static_cast<std::size_t>(count); ++i) {
        const PaletteEntry color = i < table.size() ? table[i] : PaletteEntry{};
        bytes.insert(bytes.end(), {color.green, color.red, color.blue});
    }
    return bytes;
}

}  // namespace

TMagData EncodeMagFile(const TBitmap& picture, const MagProperties& properties) {
    if (picture.PixelFormat() != TPixelFormat::Bit4 && picture.PixelFormat() != TPixelFormat::Bit8)
        throw EInvalidMagOperation("picture is not 4 or 8 bits per pixel");
    const int colorMode = picture.PixelFormat() == TPixelFormat::Bit8 ? 1 : 0;
    const int u = MagFlagBytePixels(colorMode);
    if (picture.Width() % u != 0) throw EInvalidMagOperation("width is not whole flag bytes");
    if (picture.Empty()) throw EInvalidMagOperation("picture is empty");
    CheckText(properties);
    const int leftX = properties.LeftX - properties.LeftX % u;
    if (leftX + picture.Width() - 1 > kLastCoordinate || properties.TopY + picture.Height() - 1 > kLastCoordinate)
        throw EInvalidMagOperation("range over");

    TMagData data;
    std::copy_n(properties.UserName.begin(), std::min(properties.UserName.size(), kMagUserNameSize),
                data.LeadIn.begin() + kMagUserNameOffset);
    data.Width = picture.Width();
    data.Height = picture.Height();

    UnitEncoder encoder(picture, static_cast<std::size_t>(picture.Width() / u));
    encoder.Encode();
    if (encoder.flagB.size() % 2 != 0) encoder.flagB.push_back(0);

    // Offsets stay far below 4 GiB: the pixel limits bound the picture, and
    // no stream is larger than its pixels.
    const int colorCount = MagColorCount(colorMode);
    MagHeader header;
    header.screenMode = static_cast<std::uint8_t>((colorMode == 1 ? MagHeader::k256Colors : 0) |
                                                  (properties.Is200Line ? MagHeader::k200Lines : 0));
    header.leftX = static_cast<std::uint16_t>(leftX);
    header.topY = properties.TopY;
    header.rightX = static_cast<std::uint16_t>(leftX + picture.Width() - 1);
    header.bottomY = static_cast<std::uint16_t>(properties.TopY + picture.Height() - 1);
    header.flagAOffset = static_cast<std::uint32_t>(kMagHeaderSize + 3 * colorCount);
    header.flagBOffset = header.flagAOffset + static_cast<std::uint32_t>(encoder.flagA.size());
    header.flagBSize = static_cast<std::uint32_t>(encoder.flagB.size());
    header.pixelOffset = header.flagBOffset + header.flagBSize;
    header.pixelSize = static_cast<std::uint32_t>(encoder.pixels.size());
    data.Header = header.Pack();

    std::vector<std::uint8_t>& out = data.FileBytes;
    Append(out, data.LeadIn.data(), data.LeadIn.size());
    // An odd comment length puts the header at an even offset.
    out.insert(out.end(), properties.Comment.begin(), properties.Comment.end());
    if (properties.Comment.size() % 2 == 0) out.push_back(' ');
    out.push_back(kMagCommentEnd);
    Append(out, data.Header.data(), data.Header.size());
    Append(out, PaletteBytes(picture.ColorTable(), colorCount));
    Append(out, encoder.flagA);
    Append(out, encoder.flagB);
    Append(out, encoder.pixels);
    return data;
}

}  // namespace imvexa
