#pragma once
// The thumbnail at a size the caller asks for: not square but the picture
// fitted into a size × size square, with the picture's transparency. The one
// composition of the thumbnail provider and the native front end.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "BoxReduction.h"
#include "PictureRows.h"
#include "RowConversion.h"

namespace imvexa {

// The size of a picture of width × height fitted into a size × size square:
// aspect ratio kept, each side at least 1, never larger than the picture.
// A picture that fits keeps its size; a larger one gets the rectangle the
// square thumbnail of edge size draws it into. 0 × 0 for a picture without
// pixels or a size below 1.
struct TFittedSize {
    std::int32_t width = 0, height = 0;
    bool operator==(const TFittedSize&) const = default;
};
TFittedSize FitThumbnailSize(std::int32_t width, std::int32_t height, int size);

// A thumbnail as the thumbnail provider hands it over: top-down rows of
// 4 bytes per pixel, blue, green, red, alpha (straight, not premultiplied);
// hasAlpha false means every alpha byte is 255.
struct TBgraPicture {
    std::int32_t width = 0, height = 0;
    bool hasAlpha = false;
    std::vector<std::uint8_t> pixels;  // width * 4 * height
};

// Composes a decoder's rows into the fitted picture: unscaled when the
// picture fits (palette pixels expanded), else the box average at the fitted
// size (the same average as the square thumbnail's reduction for opaque
// pictures; with alpha, colours are weighted by alpha so transparent pixels
// do not darken edges, and a wholly transparent box is 0, 0, 0, 0).
// Rows with alpha are those of a 32-bit header with alpha set.
class TSizedComposer : public TRowSink {
public:
    explicit TSizedComposer(int size) : size_(size) {}

    // Raises the reduction's exceptions (a size below 1 among them).
    void Begin(const PictureHeader& header) override;
    void Row(const std::uint8_t* pixels) override;

    // The picture composed so far (0 × 0 when no picture with pixels began);
    // the composer is empty afterwards.
    TBgraPicture TakePicture();

private:
    std::uint8_t* PictureRow(std::int32_t y);
    void PutReducedRow(std::int32_t row, const std::uint8_t* pixels);

    int size_;
    TBgraPicture picture_;
    std::int32_t sourceWidth_ = 0, sourceHeight_ = 0;
    TRowOrder order_ = TRowOrder::TopDown;
    std::optional<TRowConversion> conversion_;  // palette rows to 24 bits
    std::optional<TBoxReduction> reduction_;
    std::vector<std::uint8_t> work_;  // a source row on its way into the reduction or the picture
    std::int32_t rowsTaken_ = 0;
};

// The built-in decoders (DecodeBuiltInRows' keys) into a sized composer, with
// the alpha of PNGs that have it; false for any other key. Decoder errors
// propagate.
bool ComposeBuiltInAtSize(std::span<const std::uint8_t> bytes, const std::string& extension, int size,
                          TBgraPicture& picture);

}  // namespace imvexa
