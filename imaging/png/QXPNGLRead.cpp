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

// The rows go into the graphic's bitmap, created if absent when the picture
// is announced (at the first IDAT chunk): a load that fails before it
// leaves the graphic as it was, one that fails later a partly written
// bitmap.
class TGraphicRows : public TRowSink {
public:
    explicit TGraphicRows(std::unique_ptr<TBitmap>& bitmap) : bitmap_(bitmap) {}

    void Begin(const PictureHeader& header) override {
        if (!bitmap_) bitmap_ = std::make_unique<TBitmap>();
        rows_.emplace(*bitmap_);
        rows_->Begin(header);
    }

    void Row(const std::uint8_t* pixels) override { rows_->Row(pixels); }
    std::uint8_t* StoredRow(std::int32_t y) override { return rows_ ? rows_->StoredRow(y) : nullptr; }

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
    // The stream ends where the decoder stopped reading, on success after
    // the IEND chunk.
    std::uint64_t stop = 0;
    const auto seekToStop = [&] { stream.Seek(start + static_cast<std::int64_t>(stop), SeekOrigin::Begin); };
    try {
        DecodePNG(bytes, rows, PngDecodeOptions{.keepsWholePicture = true}, &stop);
    } catch (...) {
        seekToStop();
        throw;
    }
    seekToStop();
}

}  // namespace imvexa::png
