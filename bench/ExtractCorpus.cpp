#include "ExtractCorpus.h"

#include <cstdint>
#include <fstream>

#include "Bitmap.h"
#include "CompressJPEG.h"
#include "Mag.h"
#include "PhotoField.h"
#include "QXPNGL.h"
#include "ZdDIB.h"

namespace imvexa::bench {

namespace {

namespace fs = std::filesystem;

constexpr int kGrain = 6;

// A photograph-like picture: 24 bits, or 8 bits on a 3-3-2 colour cube.
void FillPhoto(TBitmap& picture, int width, int height, TPixelFormat format) {
    std::vector<PaletteEntry> cube;
    if (format == TPixelFormat::Bit8)
        for (int i = 0; i < 256; ++i)
            cube.push_back({static_cast<std::uint8_t>((i >> 5) * 255 / 7), static_cast<std::uint8_t>((i >> 2 & 7) * 255 / 7),
                            static_cast<std::uint8_t>((i & 3) * 255 / 3)});
    picture.SetPixelFormat(format, cube);
    picture.SetSize(width, height);
    PhotoField field(width, height, kGrain);
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * 3);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = picture.ScanLine(y);
        field.Row(y, 3, rgb.data());
        for (int x = 0; x < width; ++x) {
            const std::uint8_t* p = &rgb[static_cast<std::size_t>(x) * 3];
            if (format == TPixelFormat::Bit8)
                row[x] = static_cast<std::uint8_t>((p[0] >> 5) << 5 | (p[1] >> 5) << 2 | p[2] >> 6);
            else
                row[3 * x] = p[2], row[3 * x + 1] = p[1], row[3 * x + 2] = p[0];
        }
    }
}

// A drawing of flat 8-bit tiles: long runs for run-length coding.
void FillDrawing(TBitmap& picture, int width, int height) {
    FillPhoto(picture, width, height, TPixelFormat::Bit8);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) picture.ScanLine(y)[x] = static_cast<std::uint8_t>(x / 40 * 37 + y / 30 * 11);
}

void WriteBytes(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
}

void WriteJpeg(const fs::path& path, int width, int height, bool progressive) {
    PhotoField field(width, height, kGrain);
    const std::size_t stride = static_cast<std::size_t>(width) * 3;
    std::vector<std::uint8_t> rows(stride * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) field.Row(y, 3, rows.data() + stride * static_cast<std::size_t>(y));
    test::CompressOptions options;
    options.progressive = progressive;
    WriteBytes(path, test::CompressJPEG(rows.data(), width, height, options));
}

template <typename T>
void PutLittle(std::vector<std::uint8_t>& out, T value) {
    for (std::size_t i = 0; i < sizeof(T); ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// One 32 × 32 image at 32 bits: a colour ramp with a transparent border.
void WriteIcon(const fs::path& path) {
    constexpr int kSize = 32;
    constexpr std::uint32_t kImageBytes = 40 + kSize * kSize * 4 + kSize * 4;
    std::vector<std::uint8_t> file;
    for (const std::uint16_t word : {0, 1, 1}) PutLittle(file, word);  // reserved, icon, one image
    file.insert(file.end(), {kSize, kSize, 0, 0});
    PutLittle(file, std::uint16_t{1});
    PutLittle(file, std::uint16_t{32});
    PutLittle(file, kImageBytes);
    PutLittle(file, std::uint32_t{22});
    for (const std::uint32_t value : {40u, std::uint32_t{kSize}, std::uint32_t{2 * kSize}}) PutLittle(file, value);
    PutLittle(file, std::uint16_t{1});
    PutLittle(file, std::uint16_t{32});
    for (int i = 0; i < 6; ++i) PutLittle(file, std::uint32_t{0});
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            const bool inside = x >= 2 && y >= 2 && x < kSize - 2 && y < kSize - 2;
            file.insert(file.end(), {static_cast<std::uint8_t>(8 * x), static_cast<std::uint8_t>(8 * y), 0x80,
                                     static_cast<std::uint8_t>(inside ? 0xFF : 0)});
        }
    file.resize(file.size() + kSize * 4);  // the mask: the alpha channel decides
    WriteBytes(path, file);
}

void WriteText(const fs::path& path) {
    std::ofstream text(path, std::ios::binary);
    for (int line = 0; line < 40; ++line) text << "Line " << line << " of a plain text file, long enough to wrap.\r\n";
}

}  // namespace

std::vector<std::string> WriteExtractCorpus(const fs::path& folder) {
    std::vector<std::string> paths;
    const auto add = [&](const char* name) {
        paths.push_back((folder / name).string());
        return paths.back();
    };
    WriteJpeg(add("photo.jpg"), 2048, 1536, false);
    WriteJpeg(add("progressive.jpg"), 1600, 1200, true);
    WriteJpeg(add("small.jpg"), 320, 240, false);
    {
        TBitmap photo, palette;
        FillPhoto(photo, 1200, 900, TPixelFormat::Bit24);
        FillPhoto(palette, 1024, 768, TPixelFormat::Bit8);
        QXPNGLE png;
        png.Assign(&photo);
        png.SaveToFile(add("photo.png"));
        png.Assign(&palette);
        png.SaveToFile(add("palette.png"));
        TMAGImage mag;
        mag.Assign(&palette);
        mag.SaveToFile(add("palette.mag"));
        palette.SaveToFile(add("palette.bmp"));
    }
    for (const auto& [name, width, height] : {std::tuple{"photo.bmp", 1600, 1200}, std::tuple{"small.bmp", 100, 80}}) {
        TBitmap photo;
        FillPhoto(photo, width, height, TPixelFormat::Bit24);
        photo.SaveToFile(add(name));
    }
    {
        TBitmap drawing;
        FillDrawing(drawing, 1024, 768);
        TZdDIB dib;
        dib.Assign(&drawing);
        dib.SetPixelFormat(zdPf8BitRLE);
        dib.SaveToFile(add("drawing.rle"));
    }
    WriteText(add("notes.txt"));
    WriteIcon(add("icon.ico"));
    return paths;
}

}  // namespace imvexa::bench
