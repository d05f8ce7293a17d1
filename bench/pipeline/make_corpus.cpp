// pipeline_corpus DIRECTORY [NAME...]
// Writes the pipeline benchmark's pictures into DIRECTORY (only the named
// ones when names are given): gigapixel PNGs (truecolour, palette, 1-bit), a
// 100-megapixel palette PNG (within what other tools take by default),
// camera-sized baseline and progressive JPEGs, 12-megapixel PNG, BMP and MAG
// files, all photograph-like. Prints each file with the seconds it took.
// Exit status 0, 1 when a file cannot be made, 2 for usage errors.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "Bitmap.h"
#include "CompressJPEG.h"
#include "Mag.h"
#include "PhotoField.h"
#include "PngStreamWriter.h"
#include "Stream.h"

using namespace imvexa;
using namespace imvexa::bench;

namespace {

enum class Kind { PngColor, PngPalette, PngBilevel, JpegBaseline, JpegProgressive, Bmp, Mag };

// grain: the noise on every sample (PhotoField). Camera pictures carry some,
// enough to give JPEG files of a camera's size; a large palette picture is a
// drawing or a map, smooth; a 1-bit picture is a scan with ragged edges.
struct Entry {
    const char* name;
    Kind kind;
    int width;
    int height;
    int grain;
};

constexpr Entry kCorpus[] = {
    {"png-rgb-16000x16000.png", Kind::PngColor, 16000, 16000, 3},
    {"png-palette-30000x30000.png", Kind::PngPalette, 30000, 30000, 0},
    {"png-1bit-60000x10000.png", Kind::PngBilevel, 60000, 10000, 8},
    {"png-palette-10000x10000.png", Kind::PngPalette, 10000, 10000, 0},
    {"jpeg-baseline-6000x4000.jpg", Kind::JpegBaseline, 6000, 4000, 12},
    {"jpeg-progressive-6000x4000.jpg", Kind::JpegProgressive, 6000, 4000, 12},
    {"jpeg-baseline-2000x1500.jpg", Kind::JpegBaseline, 2000, 1500, 12},
    {"png-rgb-4000x3000.png", Kind::PngColor, 4000, 3000, 3},
    {"bmp-24bit-4000x3000.bmp", Kind::Bmp, 4000, 3000, 3},
    {"mag-256colors-4000x3000.mag", Kind::Mag, 4000, 3000, 3},
};

// 256 colours along a path through the colour cube, dark to light.
std::vector<PaletteEntry> Ramp() {
    std::vector<PaletteEntry> colors(256);
    for (int i = 0; i < 256; ++i) {
        colors[static_cast<std::size_t>(i)] = {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i * 3 / 4 + 32),
                                               static_cast<std::uint8_t>(255 - i / 2), 0};
    }
    return colors;
}

// Truecolour, or the brightness as indices into the ramp.
void WritePngPhoto(const std::string& path, const Entry& entry, int channels) {
    const std::vector<PaletteEntry> palette = channels == 1 ? Ramp() : std::vector<PaletteEntry>{};
    PngStreamWriter png(path, {entry.width, entry.height, 8 * channels, palette});
    PhotoField field(entry.width, entry.height, entry.grain);
    std::vector<std::uint8_t> row(png.RowBytes());
    for (int y = 0; y < entry.height; ++y) {
        field.Row(y, channels, row.data());
        png.Row(row.data());
    }
    png.Finish();
}

// Black where the brightness is below the middle: blobs with ragged edges.
void WritePngBilevel(const std::string& path, const Entry& entry) {
    PngStreamWriter png(path, {entry.width, entry.height, 1, {{0, 0, 0, 0}, {255, 255, 255, 0}}});
    PhotoField field(entry.width, entry.height, entry.grain);
    std::vector<std::uint8_t> grey(static_cast<std::size_t>(entry.width));
    std::vector<std::uint8_t> row(png.RowBytes());
    for (int y = 0; y < entry.height; ++y) {
        field.Row(y, 1, grey.data());
        std::fill(row.begin(), row.end(), 0);
        for (std::size_t x = 0; x < grey.size(); ++x) {
            if (grey[x] >= 128) row[x / 8] = static_cast<std::uint8_t>(row[x / 8] | (0x80 >> (x % 8)));
        }
        png.Row(row.data());
    }
    png.Finish();
}

void WriteJpeg(const std::string& path, const Entry& entry) {
    const std::size_t stride = static_cast<std::size_t>(entry.width) * 3;
    std::vector<std::uint8_t> rows(stride * static_cast<std::size_t>(entry.height));
    PhotoField field(entry.width, entry.height, entry.grain);
    for (int y = 0; y < entry.height; ++y) field.Row(y, 3, rows.data() + stride * static_cast<std::size_t>(y));
    test::CompressOptions options;
    options.progressive = entry.kind == Kind::JpegProgressive;
    const std::vector<std::uint8_t> file = test::CompressJPEG(rows.data(), entry.width, entry.height, options);
    TFileStream(path, FileMode::Create).WriteBuffer(file.data(), file.size());
}

// Fills the bitmap with the picture at the given depth: colour rows for 24
// bits, brightness as palette indices for 8.
void FillPhoto(TBitmap& bitmap, const Entry& entry, TPixelFormat format) {
    bitmap.SetPixelFormat(format);
    if (format == TPixelFormat::Bit8) bitmap.SetColorTable(Ramp());
    bitmap.SetSize(entry.width, entry.height);
    PhotoField field(entry.width, entry.height, entry.grain);
    for (int y = 0; y < entry.height; ++y) field.Row(y, bitmap.BitsPerPixel() / 8, bitmap.ScanLine(y));
}

void WriteBmp(const std::string& path, const Entry& entry) {
    TBitmap bitmap;
    FillPhoto(bitmap, entry, TPixelFormat::Bit24);
    bitmap.SaveToFile(path);
}

void WriteMag(const std::string& path, const Entry& entry) {
    TBitmap bitmap;
    FillPhoto(bitmap, entry, TPixelFormat::Bit8);
    TMAGImage mag;
    mag.Assign(&bitmap);
    mag.SaveToFile(path);
}

void Write(const std::string& path, const Entry& entry) {
    switch (entry.kind) {
        case Kind::PngColor: return WritePngPhoto(path, entry, 3);
        case Kind::PngPalette: return WritePngPhoto(path, entry, 1);
        case Kind::PngBilevel: return WritePngBilevel(path, entry);
        case Kind::JpegBaseline:
        case Kind::JpegProgressive: return WriteJpeg(path, entry);
        case Kind::Bmp: return WriteBmp(path, entry);
        case Kind::Mag: return WriteMag(path, entry);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: pipeline_corpus DIRECTORY [NAME...]\n");
        return 2;
    }
    const std::vector<std::string> names(argv + 2, argv + argc);
    for (const Entry& entry : kCorpus) {
        if (!names.empty() && std::find(names.begin(), names.end(), entry.name) == names.end()) continue;
        const std::string path = std::string(argv[1]) + "/" + entry.name;
        const auto start = std::chrono::steady_clock::now();
        try {
            Write(path, entry);
        } catch (const std::exception& error) {
            std::fprintf(stderr, "pipeline_corpus: %s: %s\n", path.c_str(), error.what());
            return 1;
        }
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        std::printf("%-32s %6.1f s\n", entry.name, took.count());
        std::fflush(stdout);
    }
    return 0;
}
