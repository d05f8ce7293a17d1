// The whole path from a file's bytes to the thumbnail's pixels: the built-in
// decoder of the chosen format sends its rows into the composition. The last
// byte chooses the format, the thumbnail's edge (120, or 5 to force the
// reduction) and, with bit 6, the native speed mode (a JPEG decoded at a
// reduced scale and stretched); the bytes before it are the file. Decoding must fail cleanly
// with one of the library's exceptions or give an edge × edge thumbnail.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "BuiltInDecoders.h"
#include "JPEGDecode.h"
#include "RuntimeErrors.h"
#include "SpeedThumbnail.h"
#include "ThumbnailComposer.h"

using namespace imvexa;

namespace {

struct TooLarge {};

// Pictures up to the pixel limit are legal but far too slow for fuzzing:
// those of more than 4 million pixels are skipped at their header.
void Bound(std::int64_t width, std::int64_t height) {
    if (width * height > (std::int64_t{1} << 22)) throw TooLarge{};
}

class TBoundedComposer : public TThumbnailComposer {
public:
    using TThumbnailComposer::TThumbnailComposer;
    void Begin(const PictureHeader& header) override {
        Bound(header.width, header.height);
        TThumbnailComposer::Begin(header);
    }
};

// Speed mode decodes the whole file whatever the scale: bounded by its header.
bool StretchedInSpeedMode(std::span<const std::uint8_t> file, const std::string& key, int edge, TBitmap& thumbnail) {
    if (key != "JPG") return false;
    const JPEGSize size = ReadJPEGHeader(file).size;
    Bound(size.width, size.height);
    return StretchReducedJPEGThumbnail(file, key, edge, thumbnail);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    static const char* const kKeys[] = {"BMP", "RLE", "JPG", "PNG", "MAG"};
    const std::uint8_t choice = data[size - 1];
    const int edge = choice & 0x80 ? 5 : 120;
    const std::string key = kKeys[(choice & 0x7F) % 5];
    const std::span file(data, size - 1);
    TBitmap thumbnail;
    TBoundedComposer composer(thumbnail, edge);
    try {
        if (!(choice & 0x40 && StretchedInSpeedMode(file, key, edge, thumbnail))) DecodeBuiltInRows(file, key, composer);
    } catch (const Exception&) {
        return 0;
    } catch (const TooLarge&) {
        return 0;
    }
    if (thumbnail.Width() != edge || thumbnail.Height() != edge) __builtin_trap();
    return 0;
}
