// imvexa-thumb [--square] [--speed] [--edge N] INPUT OUTPUT.bmp|OUTPUT.png
// Renders the thumbnail of a picture with the portable decoders and the
// portable composition, the file read once and its rows composed as they are
// decoded. By default the picture fitted into an N × N square with its
// transparency: the thumbnail provider's pixels, written as a PNG (with
// alpha when the picture has it) or a 32-bit BMP with alpha. With --square
// the extractor's N × N thumbnail in quality mode, written as a 24-bit BMP
// or PNG. --speed (a square thumbnail too) decodes a JPEG larger than the
// thumbnail at a reduced scale and stretches it by nearest pixel into the
// same rectangle, which approximates the extractor's speed mode (the
// platform's stretch there); other pictures are composed as in quality mode.
// N is 120 unless given. Exit status: 0 on success, 1 when the input cannot
// be decoded, 2 for usage errors.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <span>

#include "BgraPictureFile.h"
#include "Bitmap.h"
#include "BuiltInDecoders.h"
#include "ExtensionKey.h"
#include "MappedFile.h"
#include "QXPNGL.h"
#include "SizedThumbnail.h"
#include "SpeedThumbnail.h"
#include "ThumbnailComposer.h"

using namespace imvexa;

namespace {

constexpr int kMaxEdge = 4096;

struct Options {
    bool square = false;
    bool speed = false;
    int edge = 120;
    std::string input, output;
};

int Usage() {
    std::fprintf(stderr,
                 "usage: imvexa-thumb [--square] [--speed] [--edge N] INPUT OUTPUT.bmp|OUTPUT.png\n"
                 "  default: the picture fitted into N x N with its transparency (as the DLL's\n"
                 "  thumbnail provider makes it)\n"
                 "  --square: the N x N thumbnail of the extractor's quality mode\n"
                 "  --speed: a square thumbnail, JPEGs larger than it decoded at a reduced scale\n"
                 "  and stretched by nearest pixel (an approximation of the extractor's speed\n"
                 "  mode); other pictures as with --square\n");
    return 2;
}

bool ParseEdge(const char* text, int& edge) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (*end != '\0' || value < 1 || value > kMaxEdge) return false;
    edge = static_cast<int>(value);
    return true;
}

bool Parse(int argc, char** argv, Options& options) {
    int at = 1;
    for (; at < argc && std::string(argv[at]).starts_with("--"); ++at) {
        const std::string option = argv[at];
        if (option == "--square")
            options.square = true;
        else if (option == "--speed")
            options.square = options.speed = true;
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

std::string Key(const std::string& path) {
    return ExtensionKey(path, [](unsigned char) { return false; });
}

void WriteSquare(TBitmap& thumbnail, const std::string& path) {
    thumbnail.SetPixelFormat(TPixelFormat::Bit24);
    if (Key(path) == "PNG") {
        QXPNGLE png;
        png.Assign(&thumbnail);
        png.SaveToFile(path);
    } else {
        thumbnail.SaveToFile(path);
    }
}

void WriteFitted(const TBgraPicture& picture, const std::string& path) {
    TFileStream file(path, FileMode::Create);
    if (Key(path) == "PNG")
        SaveBgraPng(picture, file);
    else
        SaveBgraBmp(picture, file);
}

// The square or the fitted thumbnail, whichever the options ask for.
struct Thumbnail {
    TBitmap square;
    TBgraPicture fitted;
};

// False when no built-in decoder takes the extension.
bool Compose(const Options& options, Thumbnail& thumbnail) {
    const std::string key = Key(options.input);
    const MappedFile file(options.input);
    const std::span<const std::uint8_t> bytes = file.Bytes();
    if (!options.square) return ComposeBuiltInAtSize(bytes, key, options.edge, thumbnail.fitted);
    if (options.speed && StretchReducedJPEGThumbnail(bytes, key, options.edge, thumbnail.square)) return true;
    TThumbnailComposer composer(thumbnail.square, options.edge);
    return DecodeBuiltInRows(bytes, key, composer);
}

void Write(const Options& options, Thumbnail& thumbnail) {
    if (options.square)
        WriteSquare(thumbnail.square, options.output);
    else
        WriteFitted(thumbnail.fitted, options.output);
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!Parse(argc, argv, options)) return Usage();
    Thumbnail thumbnail;
    try {
        if (!Compose(options, thumbnail)) {
            std::fprintf(stderr, "imvexa-thumb: no decoder for the extension \"%s\"\n", Key(options.input).c_str());
            return 1;
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "imvexa-thumb: %s\n", error.what());
        return 1;
    }
    try {
        Write(options, thumbnail);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "imvexa-thumb: cannot write %s: %s\n", options.output.c_str(), error.what());
        return 2;
    }
    return 0;
}
