#include "BgraPictureFile.h"

#include "QXPNGLCodec.h"
#include "ZdDIBTypes.h"

namespace imvexa {

namespace {

const std::uint8_t* PictureRow(const TBgraPicture& picture, std::int32_t y) {
    return picture.pixels.data() + 4 * static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(y);
}

}  // namespace

void SaveBgraPng(const TBgraPicture& picture, TStream& stream) {
    png::PngImage image;
    image.width = static_cast<std::uint32_t>(picture.width);
    image.height = static_cast<std::uint32_t>(picture.height);
    image.colorType = picture.hasAlpha ? 6 : 2;
    const int samples = picture.hasAlpha ? 4 : 3;
    image.row = [&picture, samples](std::int32_t y, std::uint8_t* bytes) {
        const std::uint8_t* pixel = PictureRow(picture, y);
        for (std::int32_t x = 0; x < picture.width; ++x, pixel += 4, bytes += samples) {
            bytes[0] = pixel[2];
            bytes[1] = pixel[1];
            bytes[2] = pixel[0];
            if (samples == 4) bytes[3] = pixel[3];
        }
    };
    png::WritePngImage(image, stream);
}

void SaveBgraBmp(const TBgraPicture& picture, TStream& stream) {
    const auto rowBytes = static_cast<std::uint32_t>(4 * picture.width);
    const auto pixelBytes = rowBytes * static_cast<std::uint32_t>(picture.height);
    const std::uint32_t offset = sizeof(BitmapFileHeader) + sizeof(BitmapInfoHeader);
    const BitmapFileHeader file{kBmpFileType, offset + pixelBytes, 0, 0, offset};
    const BitmapInfoHeader info{sizeof(BitmapInfoHeader), picture.width, picture.height, 1, 32, 0, pixelBytes, 0, 0, 0, 0};
    stream.WriteBuffer(&file, sizeof file);
    stream.WriteBuffer(&info, sizeof info);
    for (std::int32_t y = picture.height; y-- > 0;) stream.WriteBuffer(PictureRow(picture, y), rowBytes);
}

}  // namespace imvexa
