#include "ProviderThumbnail.h"

#include <algorithm>
#include <cstring>
#include <functional>

#include "BgraSurface.h"
#include "Bitmap.h"
#include "BitmapRows.h"
#include "BuiltInDecoders.h"
#include "PictureDecoders.h"
#include "PlatformPicture.h"
#include "QualityMode.h"
#include "SizedThumbnail.h"
#include "StretchedThumbnail.h"
#include "TextPage.h"
#include "Thumbnail.h"

namespace imvexa {

namespace {

ProviderThumbnail Opaque(TBgraSurface& surface) {
    surface.MakeOpaque();
    return {win32::Bitmap(surface.Release()), false};
}

// Nothing for a picture without pixels.
ProviderThumbnail FromPicture(const TBgraPicture& picture) {
    if (picture.width <= 0 || picture.height <= 0) return {};
    TBgraSurface surface(picture.width, picture.height);
    const std::size_t rowBytes = 4 * static_cast<std::size_t>(picture.width);
    for (int y = 0; y < picture.height; ++y)
        std::memcpy(surface.Row(y), picture.pixels.data() + y * rowBytes, rowBytes);
    return {win32::Bitmap(surface.Release()), picture.hasAlpha};
}

ProviderThumbnail TextPage(std::span<const std::uint8_t> bytes, int size) {
    TBgraSurface surface(size, size);
    const std::size_t head = std::min(bytes.size(), kTextPageBytes);
    DrawTextPage(surface.Canvas(), size, std::string(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(head)));
    return Opaque(surface);
}

// The icon's alpha from drawing it twice: over black a pixel shows its colour
// times alpha, over white that plus the white let through, so the difference
// of the two is what the icon lets through. An icon with an alpha channel
// keeps it; one with only a mask is opaque where the mask is.
void TakeAlphaFromBackgrounds(TBgraSurface& onBlack, TBgraSurface& onWhite) {
    for (int y = 0; y < onBlack.Height(); ++y) {
        std::uint8_t* black = onBlack.Row(y);
        const std::uint8_t* white = onWhite.Row(y);
        for (int x = 0; x < onBlack.Width(); ++x, black += 4, white += 4) {
            int through = 0;
            for (int c = 0; c < 3; ++c) through = std::max(through, white[c] - black[c]);
            const int alpha = 255 - through;
            for (int c = 0; c < 3; ++c) {
                const int color = alpha == 0 ? 0 : (black[c] * 255 + alpha / 2) / alpha;
                black[c] = static_cast<std::uint8_t>(std::min(255, color));
            }
            black[3] = static_cast<std::uint8_t>(alpha);
        }
    }
}

ProviderThumbnail PlatformThumbnail(std::span<const std::uint8_t> bytes, const std::string& extension, int size) {
    const TPlatformPicture picture(bytes, extension, size, size);
    const TFittedSize fitted = FitThumbnailSize(picture.Width(), picture.Height(), size);
    TBgraSurface surface(fitted.width, fitted.height);
    if (!picture.IsIcon()) {
        surface.Fill(RGB(255, 255, 255));
        picture.Draw(surface.Canvas(), fitted.width, fitted.height);
        return Opaque(surface);
    }
    TBgraSurface onWhite(fitted.width, fitted.height);
    onWhite.Fill(RGB(255, 255, 255));
    surface.Fill(RGB(0, 0, 0));
    picture.Draw(surface.Canvas(), fitted.width, fitted.height);
    picture.Draw(onWhite.Canvas(), fitted.width, fitted.height);
    TakeAlphaFromBackgrounds(surface, onWhite);
    return {win32::Bitmap(surface.Release()), true};
}

// Speed mode: the platform's stretch of a width × height picture into its
// fitted size; nothing for an empty picture.
ProviderThumbnail Stretched(int width, int height, int size, const std::function<void(HDC, const Rect&)>& stretch) {
    if (width <= 0 || height <= 0) return {};
    const TFittedSize fitted = FitThumbnailSize(width, height, size);
    TBgraSurface surface(fitted.width, fitted.height);
    stretch(surface.Canvas(), Rect{0, 0, fitted.width, fitted.height});
    return Opaque(surface);
}

// Speed mode's rows: a picture larger than the size is kept for the
// platform's stretch, unless it has transparency, which the platform's
// stretch does not define: that one, and one that fits, are composed.
class TSpeedModeRows : public TRowSink {
public:
    explicit TSpeedModeRows(int size) : size_(size), composer_(size) {}

    void Begin(const PictureHeader& header) override {
        const TFittedSize fitted = FitThumbnailSize(header.width, header.height, size_);
        stretched_ = !header.alpha && (fitted.width != header.width || fitted.height != header.height);
        Receiver().Begin(header);
    }
    void Row(const std::uint8_t* pixels) override { Receiver().Row(pixels); }

    // After the last row.
    ProviderThumbnail Finish() {
        if (!stretched_) return FromPicture(composer_.TakePicture());
        return Stretched(stretchedRows_.Width(), stretchedRows_.Height(), size_,
                         [&](HDC dc, const Rect& target) { stretchedRows_.StretchInto(dc, target); });
    }

private:
    TRowSink& Receiver() { return stretched_ ? static_cast<TRowSink&>(stretchedRows_) : composer_; }

    int size_;
    TSizedComposer composer_;
    TStretchedRows stretchedRows_;
    bool stretched_ = false;
};

// A built-in decoder's thumbnail; false for a key no built-in decoder serves.
bool BuiltInThumbnail(std::span<const std::uint8_t> bytes, const std::string& extension, int size,
                      ProviderThumbnail& thumbnail) {
    if (!QualityModeNow()) {
        TSpeedModeRows rows(size);
        if (!DecodeBuiltInRows(bytes, extension, rows, BuiltInDecodeOptions{.alpha = true})) return false;
        thumbnail = rows.Finish();
        return true;
    }
    TBgraPicture picture;
    if (!ComposeBuiltInAtSize(bytes, extension, size, picture)) return false;
    thumbnail = FromPicture(picture);
    return true;
}

// A plug-in's picture; nothing when no plug-in reads the file.
ProviderThumbnail PlugInThumbnail(std::span<const std::uint8_t> bytes, const std::string& extension, int size) {
    TBitmap source;
    DecodeOtherPicture(bytes, extension, source);
    if (source.Empty()) return {};
    if (!QualityModeNow())
        return Stretched(source.Width(), source.Height(), size,
                         [&](HDC dc, const Rect& target) { StretchInto(dc, source, target); });
    TSizedComposer composer(size);
    SendBitmapRows(source, composer);
    return FromPicture(composer.TakePicture());
}

}  // namespace

ProviderThumbnail MakeProviderThumbnail(std::span<const std::uint8_t> bytes, const std::string& extension, int size) {
    if (IsTextExtension(extension)) return TextPage(bytes, size);
    ProviderThumbnail thumbnail;
    if (BuiltInThumbnail(bytes, extension, size, thumbnail)) return thumbnail;
    if (IsPlatformPictureKey(extension)) return PlatformThumbnail(bytes, extension, size);
    return PlugInThumbnail(bytes, extension, size);
}

}  // namespace imvexa
