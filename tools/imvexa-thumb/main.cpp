// imvexa-thumb [--edge N] [--speed] INPUT OUTPUT.bmp|OUTPUT.png
// Renders the thumbnail of a picture with the portable decoders and the
// portable composition, the file read once and its rows composed as they are
// decoded: the same pixels as the extractor in quality mode. With --speed, a
// JPEG larger than the thumbnail is decoded at a reduced scale and stretched
// by nearest pixel into the same rectangle, which approximates the
// extractor's speed mode (the platform's stretch there); other pictures are
// composed as in quality mode. Writes a 24-bit BMP file, or a PNG file for an
// output ending in .png. Exit status: 0 on success, 1 when the input cannot
// be decoded, 2 for usage errors.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "Bitmap.h"
#include "BuiltInDecoders.h"
#include "ExtensionKey.h"
#include "QXPNGL.h"
#include "SpeedThumbnail.h"
#include "ThumbnailComposer.h"

using namespace imvexa;

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: imvexa-thumb [--edge N] [--speed] INPUT OUTPUT.bmp|OUTPUT.png\n"
                 "  --speed: JPEGs larger than the thumbnail decoded at a reduced scale and\n"
                 "  stretched by nearest pixel (an approximation of the extractor's speed mode);\n"
                 "  other pictures as without it\n");
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

struct Options {
    int edge = 120;
    bool speed = false;
    std::string input, output;
};

bool ParseEdge(const char* text, int& edge) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (*end != '\0' || value < 1 || value > 4096) return false;
    edge = static_cast<int>(value);
    return true;
}

bool Parse(int argc, char** argv, Options& options) {
    int at = 1;
    for (; at < argc && std::string(argv[at]).starts_with("--"); ++at) {
        const std::string option = argv[at];
        if (option == "--speed")
            options.speed = true;
        else if (option == "--edge" && at + 1 < argc && ParseEdge(argv[at + 1], options.edge))
            ++at;
        else
            return false;
    }
    if (argc - at != 2) return false;
    options.input = argv[at];
    options.output = argv[at + 1];
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!Parse(argc, argv, options)) return Usage();
    const int edge = options.edge;
    const std::string& output = options.output;

    TBitmap thumbnail;
    try {
        const std::string key = ExtensionKey(options.input, [](unsigned char) { return false; });
        const std::vector<std::uint8_t> bytes = ReadWholeFile(options.input);
        const bool stretched = options.speed && StretchReducedJPEGThumbnail(bytes, key, edge, thumbnail);
        TThumbnailComposer composer(thumbnail, edge);
        if (!stretched && !DecodeBuiltInRows(bytes, key, composer)) {
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
