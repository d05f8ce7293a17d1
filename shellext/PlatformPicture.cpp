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

// The source becomes a width × height 24-bit picture of the window colour.
HDC PrepareBackground(TBitmap& source, int width, int height) {
    source.SetPixelFormat(TPixelFormat::Bit24);
    source.SetSize(width, height);
    HDC dc = source.Canvas();
    const RECT all{0, 0, width, height};
    FillRect(dc, &all, GetSysColorBrush(COLOR_WINDOW));
    return dc;
}

int DisplayBitsPerPixel() {
    const win32::ClientDC screen;
    return screen ? GetDeviceCaps(screen.Get(), BITSPIXEL) * GetDeviceCaps(screen.Get(), PLANES) : 24;
}

int ScreenPixelsPerInch() {
    const win32::ClientDC screen;
    return screen ? GetDeviceCaps(screen.Get(), LOGPIXELSX) : 96;
}

void LoadIconPicture(std::span<const std::uint8_t> file, TBitmap& source) {
    const auto entries = ReadIconDirectory(file.data(), file.size());
    const IconImageEntry& image = entries[ChooseIconImage(
        entries, GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), DisplayBitsPerPixel())];
    const win32::Icon icon(CreateIconFromResourceEx(const_cast<BYTE*>(file.data() + image.offset), image.size, TRUE,
                                                    0x00030000, image.width, image.height, LR_DEFAULTCOLOR));
    if (!icon) throw EIconError("Icon image cannot be read");
    HDC dc = PrepareBackground(source, image.width, image.height);
    DrawIconEx(dc, 0, 0, icon.Get(), image.width, image.height, 0, nullptr, DI_NORMAL);
}

HENHMETAFILE EnhancedFromPlaceable(std::span<const std::uint8_t> file, const MetafileInfo& info) {
    METAFILEPICT picture{};
    picture.mm = MM_ANISOTROPIC;
    picture.xExt = MulDiv(info.boxWidth, 2540, info.unitsPerInch);  // 0.01 mm
    picture.yExt = MulDiv(info.boxHeight, 2540, info.unitsPerInch);
    return SetWinMetaFileBits(static_cast<UINT>(file.size() - kPlaceableHeaderSize),
                              file.data() + kPlaceableHeaderSize, nullptr, &picture);
}

void LoadMetafilePicture(std::span<const std::uint8_t> file, TBitmap& source) {
    const MetafileInfo info = ReadMetafileHeader(file.data(), file.size(), ScreenPixelsPerInch());
    if (!WithinPixelLimits(info.width, info.height, RowStride(info.width, 24)))
        throw EMetafileError("Metafile picture is too large");
    const win32::EnhancedMetafile metafile(info.kind == MetafileKind::Enhanced
                                               ? SetEnhMetaFileBits(static_cast<UINT>(file.size()), file.data())
                                               : EnhancedFromPlaceable(file, info));
    if (!metafile) throw EMetafileError("Metafile cannot be read");
    HDC dc = PrepareBackground(source, info.width, info.height);
    const RECT bounds{0, 0, info.width, info.height};
    PlayEnhMetaFile(dc, metafile.Get(), &bounds);
}

}  // namespace

void LoadPlatformPicture(std::span<const std::uint8_t> file, const std::string& extension, TBitmap& source) {
    if (file.empty() || file.size() > static_cast<std::uint64_t>(kMaxPictureFileBytes))
        throw EReadError("Picture file is empty or too large");
    if (extension == "ICO")
        LoadIconPicture(file, source);
    else
        LoadMetafilePicture(file, source);
    GdiFlush();
}

}  // namespace imvexa
