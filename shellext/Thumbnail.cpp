#include "Thumbnail.h"

#include <shlwapi.h>

#include <algorithm>
#include <optional>

#include "Bitmap.h"
#include "BitmapRows.h"
#include "BuiltInDecoders.h"
#include "FileBytes.h"
#include "ModuleLifetime.h"
#include "Owners.h"
#include "PictureDecoders.h"
#include "QualityMode.h"
#include "ReducedJPEG.h"
#include "RuntimeErrors.h"
#include "SlashList.h"
#include "StretchedThumbnail.h"
#include "TextPage.h"
#include "ThumbnailComposer.h"
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

int ThumbnailEdgeSize() {
    // The shell library's version cannot change while the process runs, and
    // loading a library takes the loader's lock, which every thread of the
    // process shares: it is asked once, by whichever thread comes first.
    static const int edge = EdgeSizeForShellVersion(LibraryVersion("Shell32.dll"));
    return edge;
}

bool IsTextExtension(const std::string& extension) {
    const auto keys = SlashListKeys(Settings().TextExtensionList());
    return std::find(keys.begin(), keys.end(), extension) != keys.end();
}

namespace {

// The file's size from a find-first search, or nothing when it is not found.
std::optional<std::uint64_t> FindFileSize(const std::wstring& path) {
    WIN32_FIND_DATAW found;
    if (!win32::FindHandle(FindFirstFileW(path.c_str(), &found))) return std::nullopt;
    return std::uint64_t{found.nFileSizeHigh} << 32 | found.nFileSizeLow;
}

// The file's bytes, or nothing when the file does not exist; a file that
// exists but cannot be read raises TFileBytes' exceptions.
std::optional<TFileBytes> ReadExistingFile(const std::wstring& path) {
    try {
        return std::optional<TFileBytes>(std::in_place, path);
    } catch (const EFOpenError&) {
        if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return std::nullopt;
        throw;
    }
}

void DrawUnscaled(TBitmap& thumbnail, int edge, TBitmap& source, const Rect& target) {
    CreateThumbnail(thumbnail, edge, ThumbnailPixelFormat(source.PixelFormat(), source.ColorTable()));
    if (source.Empty()) return;
    BitBlt(thumbnail.Canvas(), target.left, target.top, source.Width(), source.Height(), source.Canvas(), 0, 0,
           SRCCOPY);
}

// The reduction mode of one thumbnail: read when a picture first needs
// reducing, then kept.
class TReductionMode {
public:
    bool Quality() {
        if (!quality_) quality_ = QualityModeNow();
        return *quality_;
    }

private:
    std::optional<bool> quality_;
};

// A built-in decoder's rows: composed into the thumbnail as they arrive,
// except in speed mode, where a picture larger than the thumbnail is kept in
// plain memory for the platform's stretch.
class TBuiltInPictureRows : public TRowSink {
public:
    TBuiltInPictureRows(TBitmap& thumbnail, int edge, TReductionMode& mode)
        : thumbnail_(thumbnail), edge_(edge), mode_(mode), composer_(thumbnail, edge) {}

    void Begin(const PictureHeader& header) override {
        layout_ = LayOutThumbnail(header.width, header.height, edge_);
        stretched_ = layout_.scaled && !mode_.Quality();
        Receiver().Begin(header);
    }
    void Row(const std::uint8_t* pixels) override { Receiver().Row(pixels); }

    // After the last row.
    void Finish() {
        if (!stretched_) return;
        stretchedRows_.DrawStretched(thumbnail_, edge_, layout_.target);
    }

private:
    TRowSink& Receiver() { return stretched_ ? static_cast<TRowSink&>(stretchedRows_) : composer_; }

    TBitmap& thumbnail_;
    int edge_;
    TReductionMode& mode_;
    TThumbnailComposer composer_;
    TStretchedRows stretchedRows_;
    ThumbnailLayout layout_;
    bool stretched_ = false;
};

// Speed mode's JPEG larger than the thumbnail: decoded at a reduced scale
// into plain memory and stretched into the rectangle of the file's full size.
// False, having decoded nothing but the header, for a picture that fits or a
// thumbnail in quality mode.
bool StretchReducedJPEG(TBitmap& thumbnail, int edge, std::span<const std::uint8_t> bytes, TReductionMode& mode) {
    const ReducedJPEG plan = PlanReducedJPEG(bytes, edge);
    if (!plan.layout.scaled || mode.Quality()) return false;
    TStretchedRows rows;
    DecodeReducedJPEG(bytes, plan, rows);
    rows.DrawStretched(thumbnail, edge, plan.layout.target);
    return true;
}

// A picture decoded by the platform or a plug-in: drawn unscaled in its own
// format, composed in quality mode, stretched in speed mode.
void DrawOtherPicture(TBitmap& thumbnail, TBitmap& source, int edge, TReductionMode& mode) {
    const ThumbnailLayout layout = LayOutThumbnail(source.Width(), source.Height(), edge);
    if (layout.scaled && mode.Quality()) {
        TThumbnailComposer composer(thumbnail, edge);
        SendBitmapRows(source, composer);
        return;
    }
    if (layout.scaled)
        DrawStretched(thumbnail, edge, source, layout.target);
    else
        DrawUnscaled(thumbnail, edge, source, layout.target);
}

// The file's picture in the thumbnail, by the decoder of its key.
void DrawPicture(TBitmap& thumbnail, int edge, std::span<const std::uint8_t> bytes, const std::string& extension) {
    TReductionMode mode;
    if (IsJPEGKey(extension) && StretchReducedJPEG(thumbnail, edge, bytes, mode)) return;
    TBuiltInPictureRows rows(thumbnail, edge, mode);
    if (DecodeBuiltInRows(bytes, extension, rows)) {
        rows.Finish();
        return;
    }
    TBitmap source;
    DecodeOtherPicture(bytes, extension, source);
    DrawOtherPicture(thumbnail, source, edge, mode);
}

}  // namespace

HBITMAP ExtractThumbnail(const std::wstring& path, const std::string& extension) {
    const int edge = ThumbnailEdgeSize();
    TBitmap thumbnail;
    if (IsTextExtension(extension)) {
        const std::optional<std::uint64_t> fileSize = FindFileSize(path);
        if (!fileSize) return nullptr;
        CreateThumbnail(thumbnail, edge, {});  // white, 24 bits
        DrawTextPage(thumbnail, path, *fileSize);
        return thumbnail.ReleaseHandle();
    }

    // A picture's file is only opened: each request to the system costs a
    // round trip that all of Explorer's threads may queue for.
    const std::optional<TFileBytes> file = ReadExistingFile(path);
    if (!file) return nullptr;
    DrawPicture(thumbnail, edge, file->Bytes(), extension);
    GdiFlush();
    return thumbnail.ReleaseHandle();
}

}  // namespace imvexa
