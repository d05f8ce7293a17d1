#include "PlatformPicture.h"

#include <windows.h>

#include <cstdint>

#include "IconDirectory.h"
#include "MetafileHeader.h"
#include "Owners.h"
#include "PixelLimits.h"
#include "RuntimeErrors.h"

namespace imvexa {

namespace {

// Icons and metafiles are small; a larger file is not one of them.
constexpr std::int64_t kMaxPictureFileBytes = std::int64_t{64} << 20;

int DisplayBitsPerPixel() {
    const win32::ClientDC screen;
    return screen ? GetDeviceCaps(screen.Get(), BITSPIXEL) * GetDeviceCaps(screen.Get(), PLANES) : 24;
}

int ScreenPixelsPerInch() {
    const win32::ClientDC screen;
    return screen ? GetDeviceCaps(screen.Get(), LOGPIXELSX) : 96;
}

HENHMETAFILE EnhancedFromPlaceable(std::span<const std::uint8_t> file, const MetafileInfo& info) {
    METAFILEPICT picture{};
    picture.mm = MM_ANISOTROPIC;
    picture.xExt = MulDiv(info.boxWidth, 2540, info.unitsPerInch);  // 0.01 mm
    picture.yExt = MulDiv(info.boxHeight, 2540, info.unitsPerInch);
    return SetWinMetaFileBits(static_cast<UINT>(file.size() - kPlaceableHeaderSize),
                              file.data() + kPlaceableHeaderSize, nullptr, &picture);
}

}  // namespace

bool IsPlatformPictureKey(const std::string& extension) {
    return extension == "ICO" || extension == "EMF" || extension == "WMF";
}

TPlatformPicture::TPlatformPicture(std::span<const std::uint8_t> file, const std::string& extension,
                                   int wantedWidth, int wantedHeight) {
    if (file.empty() || file.size() > static_cast<std::uint64_t>(kMaxPictureFileBytes))
        throw EReadError("Picture file is empty or too large");
    if (extension == "ICO") {
        const auto entries = ReadIconDirectory(file.data(), file.size());
        const IconImageEntry& image =
            entries[ChooseIconImage(entries, wantedWidth, wantedHeight, DisplayBitsPerPixel())];
        icon_.Reset(CreateIconFromResourceEx(const_cast<BYTE*>(file.data() + image.offset), image.size, TRUE,
                                             0x00030000, image.width, image.height, LR_DEFAULTCOLOR));
        if (!icon_) throw EIconError("Icon image cannot be read");
        width_ = image.width;
        height_ = image.height;
        return;
    }
    const MetafileInfo info = ReadMetafileHeader(file.data(), file.size(), ScreenPixelsPerInch());
    if (!WithinPixelLimits(info.width, info.height, RowStride(info.width, 24)))
        throw EMetafileError("Metafile picture is too large");
    metafile_.Reset(info.kind == MetafileKind::Enhanced
                        ? SetEnhMetaFileBits(static_cast<UINT>(file.size()), file.data())
                        : EnhancedFromPlaceable(file, info));
    if (!metafile_) throw EMetafileError("Metafile cannot be read");
    width_ = info.width;
    height_ = info.height;
}

void TPlatformPicture::Draw(HDC dc, int width, int height) const {
    if (icon_) {
        DrawIconEx(dc, 0, 0, icon_.Get(), width, height, 0, nullptr, DI_NORMAL);
    } else {
        const RECT bounds{0, 0, width, height};
        PlayEnhMetaFile(dc, metafile_.Get(), &bounds);
    }
}

void LoadPlatformPicture(std::span<const std::uint8_t> file, const std::string& extension, TBitmap& source) {
    const TPlatformPicture picture(file, extension, GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON));
    source.SetPixelFormat(TPixelFormat::Bit24);
    source.SetSize(picture.Width(), picture.Height());
    HDC dc = source.Canvas();
    const RECT all{0, 0, picture.Width(), picture.Height()};
    FillRect(dc, &all, GetSysColorBrush(COLOR_WINDOW));
    picture.Draw(dc, picture.Width(), picture.Height());
    GdiFlush();
}

}  // namespace imvexa
