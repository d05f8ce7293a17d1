// imvexa-thumb [--edge N] INPUT OUTPUT.bmp|OUTPUT.png
// Renders the thumbnail of a picture with the portable decoders and the
// portable composition, the file read once and its rows composed as they are
// decoded: the same pixels as the extractor in quality mode. Writes
// a 24-bit BMP file, or a PNG file for an output ending in .png. Exit status:
// 0 on success, 1 when the input cannot be decoded, 2 for usage errors.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "Bitmap.h"
#include "BuiltInDecoders.h"
#include "ExtensionKey.h"
#include "QXPNGL.h"
#include "ThumbnailComposer.h"

using namespace imvexa;

namespace {

int Usage() {
    std::fprintf(stderr, "usage: imvexa-thumb [--edge N] INPUT OUTPUT.bmp|OUTPUT.png\n");
    return 2;
}

bool EndsWithPng(const std::string& path) {
    return path.size() >= 4 && ExtensionKey(path, [](unsigned char) { return false; }) == "PNG";
}

std::vector<std::uint8_t> ReadWholeFile(const std::string& path) {
    TFileStream file(path, FileMode::OpenRead);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(file.Size()));
    file.ReadBuffer(bytes.data(), bytes.size());
    return bytes;
}

void Write(TBitmap& thumbnail, const std::string& path) {
    thumbnail.SetPixelFormat(TPixelFormat::Bit24);
    if (EndsWithPng(path)) {
        QXPNGLE png;
        png.Assign(&thumbnail);
        png.SaveToFile(path);
    } else {
        thumbnail.SaveToFile(path);
    }
}

}  // namespace

int main(int argc, char** argv) {
    int edge = 120;
    int first = 1;
    if (argc > 1 && std::string(argv[1]) == "--edge") {
        if (argc < 3) return Usage();
        char* end = nullptr;
        const long value = std::strtol(argv[2], &end, 10);
        if (*end != '\0' || value < 1 || value > 4096) return Usage();
        edge = static_cast<int>(value);
        first = 3;
    }
    if (argc - first != 2) return Usage();
    const std::string input = argv[first], output = argv[first + 1];

    TBitmap thumbnail;
    try {
        const std::string key = ExtensionKey(input, [](unsigned char) { return false; });
        TThumbnailComposer composer(thumbnail, edge);
        if (!DecodeBuiltInRows(ReadWholeFile(input), key, composer)) {
            std::fprintf(stderr, "imvexa-thumb: no decoder for the extension \"%s\"\n", key.c_str());
            return 1;
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "imvexa-thumb: %s\n", error.what());
        return 1;
    }
    try {
        Write(thumbnail, output);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "imvexa-thumb: cannot write %s: %s\n", output.c_str(), error.what());
        return 2;
    }
    return 0;
}
