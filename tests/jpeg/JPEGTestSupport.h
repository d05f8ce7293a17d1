#pragma once
// Fixtures of the JPEG tests and the pictures to compare decodes with.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Bitmap.h"
#include "JPEG.h"
#include "Stream.h"

namespace imvexa::test {

using Bytes = std::vector<std::uint8_t>;

inline std::string FixturePath(const std::string& name) {
    return std::string(IMVEXA_JPEG_FIXTURES) + name;
}

inline Bytes ReadFixture(const std::string& name) {
    TFileStream file(FixturePath(name), FileMode::OpenRead);
    Bytes bytes(static_cast<std::size_t>(file.Size()));
    file.ReadBuffer(bytes.data(), bytes.size());
    return bytes;
}

inline void Load(TJPEGImage& image, const Bytes& bytes) {
    TBorrowedMemoryStream stream(bytes.data(), bytes.size());
    image.LoadFromStream(stream);
}

// Where the markers of a kind (0xFF, marker) lie in a file.
inline std::vector<std::size_t> MarkerOffsets(const Bytes& file, std::uint8_t marker) {
    std::vector<std::size_t> offsets;
    for (std::size_t i = 0; i + 1 < file.size(); ++i)
        if (file[i] == 0xFF && file[i + 1] == marker) offsets.push_back(i);
    return offsets;
}

// A baseline file whose frame header declares another size: the data ends
// early, and the rest of the picture decodes grey.
inline Bytes WithPictureSize(Bytes file, int width, int height) {
    const std::size_t frame = MarkerOffsets(file, 0xC0).at(0);
    const auto put = [&](std::size_t at, int value) {
        file.at(at) = static_cast<std::uint8_t>(value >> 8);
        file.at(at + 1) = static_cast<std::uint8_t>(value);
    };
    put(frame + 5, height);
    put(frame + 7, width);
    return file;
}

// A picture as red-green-blue bytes, top row first.
struct RgbPicture {
    int width = 0;
    int height = 0;
    Bytes rgb;
};

// A binary PPM (P6) or PGM (P5) file of 8-bit samples; grey becomes RGB.
inline RgbPicture ReadPnm(const std::string& name) {
    const Bytes file = ReadFixture(name);
    std::size_t at = 2;
    const auto number = [&] {
        while (at < file.size() && (file[at] == ' ' || file[at] == '\n')) ++at;
        int value = 0;
        while (at < file.size() && file[at] >= '0' && file[at] <= '9') value = value * 10 + (file[at++] - '0');
        return value;
    };
    RgbPicture picture;
    picture.width = number();
    picture.height = number();
    number();  // the largest sample value, 255
    ++at;
    const bool grey = file[1] == '5';
    for (; at < file.size(); ++at)
        picture.rgb.insert(picture.rgb.end(), grey ? 3 : 1, file[at]);
    return picture;
}

// A 24-bit bitmap's pixels (blue-green-red) or an 8-bit bitmap's palette colours.
inline RgbPicture Colours(const TBitmap& bitmap) {
    RgbPicture picture{bitmap.Width(), bitmap.Height(), {}};
    for (int y = 0; y < bitmap.Height(); ++y) {
        const std::uint8_t* row = bitmap.ScanLine(y);
        for (int x = 0; x < bitmap.Width(); ++x) {
            if (bitmap.PixelFormat() == TPixelFormat::Bit24) {
                picture.rgb.insert(picture.rgb.end(), {row[3 * x + 2], row[3 * x + 1], row[3 * x]});
            } else {
                const PaletteEntry& colour = bitmap.ColorTable().at(row[x]);
                picture.rgb.insert(picture.rgb.end(), {colour.red, colour.green, colour.blue});
            }
        }
    }
    return picture;
}

inline std::unique_ptr<TBitmap> Decode(const TJPEGImage& image) {
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->Assign(&image);
    return bitmap;
}

}  // namespace imvexa::test
