#include "Thumbnail.h"

#include <shlwapi.h>

#include <algorithm>
#include <optional>

#include "Bitmap.h"
#include "Common.h"
#include "Owners.h"
#include "PictureDecoders.h"
#include "Reduce.h"
#include "SlashList.h"
#include "TextPage.h"
#include "ThumbnailFormat.h"
#include "ThumbnailLayout.h"

namespace imvexa {

std::uint32_t LibraryVersion(const char* libraryName) {
    const win32::Module library(LoadLibraryA(libraryName));
    if (!library) return 0;
    std::uint32_t version = 0;
    auto getVersion = reinterpret_cast<DLLGETVERSIONPROC>(reinterpret_cast<void*>(GetProcAddress(library.Get(), "DllGetVersion")));
    if (getVersion) {
        DLLVERSIONINFO info{};
        info.cbSize = sizeof(info);
        if (SUCCEEDED(getVersion(&info)))
            version = (static_cast<std::uint32_t>(info.dwMajorVersion & 0xFFFF) << 16) | (info.dwMinorVersion & 0xFFFF);
    }
    return version;
}

int EdgeSizeForShellVersion(std::uint32_t version) { return version < 0x00050000u ? 160 : 120; }

namespace {

// The file's size from a find-first search, or nothing when it is not found.
std::optional<std::uint64_t> FindFileSize(const std::wstring& path) {
    WIN32_FIND_DATAW found;
    if (!win32::FindHandle(FindFirstFileW(path.c_str(), &found))) return std::nullopt;
    return std::uint64_t{found.nFileSizeHigh} << 32 | found.nFileSizeLow;
}

bool IsTextExtension(const std::string& extension) {
    const auto keys = SlashListKeys(Settings().TextExtensionList());
    return std::find(keys.begin(), keys.end(), extension) != keys.end();
}

void DrawUnscaled(TBitmap& thumbnail, TBitmap& source, const Rect& target) {
    TakePictureFormat(thumbnail, source);
    if (source.Empty()) return;
    BitBlt(thumbnail.Canvas(), target.left, target.top, source.Width(), source.Height(), source.Canvas(), 0, 0,
           SRCCOPY);
}

// Speed mode: the platform's stretch of the whole source into the target.
void DrawStretched(TBitmap& thumbnail, TBitmap& source, const Rect& target) {
    TakePictureFormat(thumbnail, source);
    HDC dc = thumbnail.Canvas();
    const int depth = GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES);
    if (depth <= 8 && depth < source.BitsPerPixel()) {
        SetStretchBltMode(dc, HALFTONE);
        POINT origin;
        GetBrushOrgEx(dc, &origin);
        SetBrushOrgEx(dc, origin.x, origin.y, nullptr);
    } else if (source.PixelFormat() != TPixelFormat::Bit1) {
        SetStretchBltMode(dc, COLORONCOLOR);
    }
    StretchBlt(dc, target.left, target.top, target.right - target.left, target.bottom - target.top, source.Canvas(),
               0, 0, source.Width(), source.Height(), SRCCOPY);
}

// Quality mode: the picture box-averaged to the target's size, drawn one to one.
void DrawReduced(TBitmap& thumbnail, TBitmap& source, const Rect& target) {
    TZdDIB picture, reduced;
    picture.Assign(&source);
    ReduceImage(picture, reduced, target.right - target.left, target.bottom - target.top);
    thumbnail.SetPixelFormat(TPixelFormat::Bit24);
    reduced.Draw(thumbnail.Canvas(), target);
}

// The per-user reduction mode, read afresh. A value of the wrong type cannot
// be read and leaves the default, quality, rather than failing every
// thumbnail of a large picture.
bool QualityModeNow() {
    try {
        return ReadQualityMode(Settings());
    } catch (const ERegistryException&) {
        return true;
    }
}

}  // namespace

HBITMAP ExtractThumbnail(const std::wstring& path, const std::string& extension) {
    const std::optional<std::uint64_t> fileSize = FindFileSize(path);
    if (!fileSize) return nullptr;
    const int edge = EdgeSizeForShellVersion(LibraryVersion("Shell32.dll"));

    TBitmap thumbnail;
    thumbnail.SetPixelFormat(TPixelFormat::Bit24);
    thumbnail.SetSize(edge, edge);  // new pixels are white
    if (IsTextExtension(extension)) {
        DrawTextPage(thumbnail, path, *fileSize);
        return thumbnail.ReleaseHandle();
    }

    TBitmap source;
    DecodePicture(path, extension, source);

    const ThumbnailLayout layout = LayOutThumbnail(source.Width(), source.Height(), edge);
    if (!layout.scaled)
        DrawUnscaled(thumbnail, source, layout.target);
    else if (QualityModeNow())
        DrawReduced(thumbnail, source, layout.target);
    else
        DrawStretched(thumbnail, source, layout.target);
    GdiFlush();
    return thumbnail.ReleaseHandle();
}

}  // namespace imvexa
