// The whole path from a file's bytes to the thumbnail's pixels: the built-in
// decoder of the chosen format sends its rows into the composition. The last
// byte chooses the format and the thumbnail's edge (120, or 5 to force the
// reduction); the bytes before it are the file. Decoding must fail cleanly
// with one of the library's exceptions or give an edge × edge thumbnail.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "BuiltInDecoders.h"
#include "RuntimeErrors.h"
#include "ThumbnailComposer.h"

using namespace imvexa;

namespace {

struct TooLarge {};

// Pictures up to the pixel limit are legal but far too slow for fuzzing:
// those of more than 4 million pixels are skipped at their header.
class TBoundedComposer : public TThumbnailComposer {
public:
    using TThumbnailComposer::TThumbnailComposer;
    void Begin(const PictureHeader& header) override {
        if (std::int64_t{header.width} * header.height > (std::int64_t{1} << 22)) throw TooLarge{};
        TThumbnailComposer::Begin(header);
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    static const char* const kKeys[] = {"BMP", "RLE", "JPG", "PNG", "MAG"};
    const std::uint8_t choice = data[size - 1];
    const int edge = choice & 0x80 ? 5 : 120;
    TBitmap thumbnail;
    TBoundedComposer composer(thumbnail, edge);
    try {
        DecodeBuiltInRows(std::span(data, size - 1), kKeys[(choice & 0x7F) % 5], composer);
    } catch (const Exception&) {
        return 0;
    } catch (const TooLarge&) {
        return 0;
    }
    if (thumbnail.Width() != edge || thumbnail.Height() != edge) __builtin_trap();
    return 0;
}
