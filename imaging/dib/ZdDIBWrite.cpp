// The BMP writer: the picture as it is stored (RLE codes, top-down rows and
// the colour table of a 24-bit image included) behind a 40-byte header.
#include "ZdInternalDIB.h"

namespace imvexa {

void TZdInternalDIB::SaveToStream(TStream& stream) const {
    const std::uint32_t colorBytes = Info.Header.biClrUsed * sizeof(RgbQuad);
    const std::uint32_t pixelOffset = sizeof(BitmapFileHeader) + sizeof(BitmapInfoHeader) + colorBytes;
    const BitmapFileHeader file{kBmpFileType, pixelOffset + static_cast<std::uint32_t>(Info.BitsSize), 0, 0,
                                pixelOffset};
    stream.WriteBuffer(&file, sizeof file);
    stream.WriteBuffer(&Info.Header, sizeof Info.Header);
    stream.WriteBuffer(Info.Colors, colorBytes);
    stream.WriteBuffer(Info.Bits, static_cast<std::size_t>(Info.BitsSize));
}

}  // namespace imvexa
