// The PNG reader of QXPNGLE: the stream's bytes from its position on,
// decoded by DecodePNG into the internal bitmap.
#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

#include "BitmapRows.h"
#include "PngDecode.h"
#include "QXPNGLCodec.h"

namespace imvexa::png {

namespace {

// The rows go into the graphic's bitmap, created if absent when the first
// row arrives: a load that fails before it leaves the graphic as it was.
class TGraphicRows : public TRowSink {
public:
    explicit TGraphicRows(std::unique_ptr<TBitmap>& bitmap) : bitmap_(bitmap) {}

    void Begin(const PictureHeader& header) override {
        if (!bitmap_) bitmap_ = std::make_unique<TBitmap>();
        rows_.emplace(*bitmap_);
        rows_->Begin(header);
    }

    void Row(const std::uint8_t* pixels) override { rows_->Row(pixels); }

private:
    std::unique_ptr<TBitmap>& bitmap_;
    std::optional<TBitmapRows> rows_;
};

std::vector<std::uint8_t> ReadRest(TStream& stream, std::int64_t start) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(std::max<std::int64_t>(stream.Size() - start, 0)));
    stream.ReadBuffer(bytes.data(), bytes.size());
    return bytes;
}

}  // namespace

void ReadPng(TStream& stream, std::unique_ptr<TBitmap>& bitmap) {
    const std::int64_t start = stream.Position();
    const std::vector<std::uint8_t> bytes = ReadRest(stream, start);
    TGraphicRows rows(bitmap);
    const std::size_t used = DecodePNG(bytes, rows, PngDecodeOptions{.keepsWholePicture = true});
    stream.Seek(start + static_cast<std::int64_t>(used), SeekOrigin::Begin);
}

}  // namespace imvexa::png
